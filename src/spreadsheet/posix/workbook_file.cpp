// The workbook file on POSIX systems: opened without blocking (opening a FIFO for reading
// would otherwise wait for a writer), then judged by what the open descriptor is.
#include "spreadsheet/workbook_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "spreadsheet/workbook_file_os.h"

namespace xlfile::os {
namespace {

std::string systemReason(const char* what, int error) {
  return std::string(what) + " (" + std::generic_category().message(error) + ")";
}

std::string openFailure(const char* path, int error) {
  if (error == ENOENT || error == ENOTDIR) return kMissingReason;
  if (error == EACCES || error == EPERM) return kDeniedReason;
  struct stat info {};
  if (::stat(path, &info) == 0 && S_ISSOCK(info.st_mode)) return kOtherTypeReason;
  return systemReason("cannot open the file", error);
}

const char* typeFailure(mode_t mode) {
  if (S_ISREG(mode)) return nullptr;
  if (S_ISDIR(mode)) return kFolderReason;
  if (S_ISFIFO(mode)) return kFifoReason;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return kDeviceReason;
  return kOtherTypeReason;
}

}  // namespace

int openRegularFile(const std::filesystem::path& path, std::uint64_t& size, std::string& error) {
  int file = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) {
    error = openFailure(path.c_str(), errno);
    return -1;
  }
  struct stat info {};
  const char* wrongType = nullptr;
  if (::fstat(file, &info) != 0) {
    error = systemReason("cannot read the file", errno);
  } else if ((wrongType = typeFailure(info.st_mode))) {
    error = wrongType;
  } else {
    size = static_cast<std::uint64_t>(info.st_size);
    return file;
  }
  ::close(file);
  return -1;
}

long readSome(int file, char* into, std::size_t count, std::string& error) {
  for (;;) {
    ssize_t got = ::read(file, into, count);
    if (got >= 0) return static_cast<long>(got);
    if (errno != EINTR) {
      error = systemReason("cannot read the file", errno);
      return -1;
    }
  }
}

void closeFile(int file) { ::close(file); }

}  // namespace xlfile::os
