#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <limits>
#include <system_error>

#include "platform/files.h"

namespace platform {
namespace {

// A rename reaches the disk only with the folder that holds it.
bool syncFolder(const std::filesystem::path& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

}  // namespace

bool writeFileDurably(const std::filesystem::path& path, std::string_view bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
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

bool replaceDurably(const std::filesystem::path& from, const std::filesystem::path& to) {
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
  if (std::rename(from.c_str(), to.c_str()) != 0) return false;
  return syncFolder(to.parent_path());
}

// Only "no such process" means gone: a process of another user answers EPERM.
bool processHasEnded(std::uint32_t pid) {
  if (pid == 0 || pid > std::uint32_t(std::numeric_limits<pid_t>::max())) return false;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool setHiddenOrArchive(const std::filesystem::path&, bool) { return true; }
bool clearFileAttributes(const std::filesystem::path&) { return true; }

}  // namespace platform
