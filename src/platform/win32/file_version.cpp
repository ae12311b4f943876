#include "platform/file_version.h"

#include <windows.h>

#include <vector>

#include "platform/cp936.h"

namespace platform {

FileVersion readFileVersion(const std::filesystem::path& path) {
  // The wide calls keep paths out of the ANSI code page.
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {{}, FileVersionError::sizeFailed};
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
    return {{}, FileVersionError::infoFailed};
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < 2 * sizeof(WORD))
    return {{}, FileVersionError::queryFailed};
  std::string query = fileVersionQuery(translation[0], translation[1]);
  std::wstring wideQuery(query.begin(), query.end());
  wchar_t* value = nullptr;
  if (!VerQueryValueW(block.data(), wideQuery.c_str(), reinterpret_cast<void**>(&value), &length) ||
      !value)
    return {{}, FileVersionError::noValue};
  return {cp936::fromUtf16(std::u16string(reinterpret_cast<const char16_t*>(value))),
          FileVersionError::none};
}

}  // namespace platform
