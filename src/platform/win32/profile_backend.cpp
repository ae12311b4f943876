// The settings file through the system's profile API. The API reads and writes a file without
// a byte order mark in the system code page, which need not be 936, so it works on a scratch
// copy in UTF-16 (which it reads and keeps as UTF-16) and the result is turned back into GBK
// here. A file that carries a byte order mark already is handed over as it is.
#include "platform/profile_backend.h"

#include <windows.h>

#include <atomic>

#include "platform/cp936.h"
#include "platform/files.h"

namespace platform::detail {
namespace {

constexpr std::string_view kUtf16Bom = "\xFF\xFE";

bool hasByteOrderMark(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
         bytes.starts_with("\xFE\xFF");
}

std::wstring wide(std::string_view gbk) {
  std::u16string units = cp936::toUtf16(gbk);
  return std::wstring(units.begin(), units.end());
}

std::string utf16Bytes(std::string_view gbk) {
  std::u16string units = cp936::toUtf16(gbk);
  std::string bytes(kUtf16Bom);
  for (char16_t u : units) bytes += char(u & 0xFF), bytes += char(u >> 8);
  return bytes;
}

std::string gbkFromUtf16Bytes(std::string_view bytes) {
  std::u16string units;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2)
    units += char16_t(static_cast<unsigned char>(bytes[at]) |
                      static_cast<unsigned char>(bytes[at + 1]) << 8);
  return cp936::fromUtf16(units);
}

// A file of our own in the temporary folder, removed again when done. The name is never reused
// within the process, so the API's cache of the last file it read cannot answer for it.
class ScratchFile {
 public:
  explicit ScratchFile(std::string_view bytes) {
    static std::atomic<unsigned> counter{0};
    wchar_t folder[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH) return;
    path_ = std::wstring(folder, n) + L"quorvix-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L".ini";
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      path_.clear();
      return;
    }
    DWORD wrote = 0;
    bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &wrote, nullptr) &&
              wrote == bytes.size();
    CloseHandle(file);
    if (!ok) {
      DeleteFileW(path_.c_str());
      path_.clear();
    }
  }
  ~ScratchFile() {
    if (path_.empty()) return;
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str());  // drops the cache
    DeleteFileW(path_.c_str());
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  bool ready() const { return !path_.empty(); }
  const wchar_t* path() const { return path_.c_str(); }

 private:
  std::wstring path_;
};

}  // namespace

std::string lookupProfileValue(std::string_view fileBytes, std::string_view section,
                               std::string_view key, std::size_t bufferSize) {
  ScratchFile scratch(hasByteOrderMark(fileBytes) ? std::string(fileBytes) : utf16Bytes(fileBytes));
  if (!scratch.ready()) return {};
  std::wstring value(bufferSize, L'\0');
  DWORD n = GetPrivateProfileStringW(wide(section).c_str(), wide(key).c_str(), L"", value.data(),
                                     DWORD(bufferSize), scratch.path());
  value.resize(n);
  return cp936::fromUtf16(std::u16string(value.begin(), value.end()));
}

std::optional<std::string> applyProfileValues(std::string_view fileBytes, std::string_view section,
                                              const std::vector<ProfileEntry>& entries) {
  const bool keepAsIs = hasByteOrderMark(fileBytes);
  ScratchFile scratch(keepAsIs ? std::string(fileBytes) : utf16Bytes(fileBytes));
  if (!scratch.ready()) return std::nullopt;
  for (const ProfileEntry& entry : entries) {
    if (!WritePrivateProfileStringW(wide(section).c_str(), wide(entry.key).c_str(),
                                    wide(entry.value).c_str(), scratch.path()))
      return std::nullopt;
  }
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, scratch.path());
  auto written = readFile(scratch.path());
  if (!written) return std::nullopt;
  if (keepAsIs) return written;
  if (!written->starts_with(kUtf16Bom)) return std::nullopt;
  return gbkFromUtf16Bytes(std::string_view(*written).substr(kUtf16Bom.size()));
}

}  // namespace platform::detail
