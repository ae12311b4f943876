#include <cstdio>
#include <system_error>

#include "platform/files.h"

namespace platform {

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  namespace fs = std::filesystem;
  // As on Windows, a file without write permission is not replaced, and the new file keeps
  // the old one's permissions.
  std::error_code ec;
  auto target = fs::status(to, ec);
  bool exists = !ec && fs::exists(target);
  if (exists) {
    if ((target.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
    fs::permissions(from, target.permissions(), ec);
  }
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace platform
