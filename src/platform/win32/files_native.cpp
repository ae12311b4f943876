#include <windows.h>

#include "platform/files.h"

namespace platform {

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Windows refuses to replace a read-only file; Wine (as root) would not, so ask first.
  DWORD target = GetFileAttributesW(to.c_str());
  bool exists = target != INVALID_FILE_ATTRIBUTES;
  if (exists && (target & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return false;
  // The new file would otherwise come out visible: keep what the user chose for the old one.
  DWORD carried = exists ? target & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) : 0;
  if (carried) {
    DWORD now = GetFileAttributesW(to.c_str());
    if (now != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(to.c_str(), now | carried);
  }
  return true;
}

}  // namespace platform
