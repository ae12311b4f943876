#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "platform/files.h"

namespace platform {

bool writeFileDurably(const std::filesystem::path& path, std::string_view bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    ok = wrote > 0;
    if (ok) done += std::size_t(wrote);
  }
  ok = ok && ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

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
