#include <windows.h>

#include <vector>

#include "import/library_file.h"
#include "platform/cp936.h"

std::string GetFileVersionText(const std::filesystem::path& path, std::string& error) {
  // The wide calls keep paths out of the ANSI code page.
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) {
    error = cp936::fromUtf8(xlversion::kSizeFailed);
    return {};
  }
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
    error = cp936::fromUtf8(xlversion::kInfoFailed);
    return {};
  }
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < 2 * sizeof(WORD)) {
    error = cp936::fromUtf8(xlversion::kQueryFailed);
    return {};
  }
  std::string query = xlversion::fileVersionQuery(translation[0], translation[1]);
  std::wstring wideQuery(query.begin(), query.end());
  wchar_t* value = nullptr;
  if (!VerQueryValueW(block.data(), wideQuery.c_str(), reinterpret_cast<void**>(&value), &length) ||
      !value)
    return {};
  std::u16string text(reinterpret_cast<const char16_t*>(value));
  return cp936::fromUtf16(text);
}
