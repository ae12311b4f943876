// The workbook file on Windows, through the C runtime: a folder cannot be opened at all, and a
// pipe or a device (CON, NUL, COM1) is told apart by what the open handle is.
#include "spreadsheet/workbook_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "spreadsheet/workbook_file_os.h"

namespace xlfile::os {
namespace {

std::string systemReason(const char* what, int error) {
  return std::string(what) + " (" + std::generic_category().message(error) + ")";
}

std::string openFailure(const wchar_t* path, int error) {
  struct _stat64 info {};
  if (::_wstat64(path, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR) return kFolderReason;
  if (error == ENOENT) return kMissingReason;
  if (error == EACCES) return kDeniedReason;
  return systemReason("cannot open the file", error);
}

const char* typeFailure(unsigned mode) {
  switch (mode & _S_IFMT) {
    case _S_IFREG:
      return nullptr;
    case _S_IFDIR:
      return kFolderReason;
    case _S_IFIFO:
      return kFifoReason;
    case _S_IFCHR:
      return kDeviceReason;
    default:
      return kOtherTypeReason;
  }
}

}  // namespace

int openRegularFile(const std::filesystem::path& path, std::uint64_t& size, std::string& error) {
  int file = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (file < 0) {
    error = openFailure(path.c_str(), errno);
    return -1;
  }
  struct _stat64 info {};
  const char* wrongType = nullptr;
  if (::_fstat64(file, &info) != 0) {
    error = systemReason("cannot read the file", errno);
  } else if ((wrongType = typeFailure(static_cast<unsigned>(info.st_mode)))) {
    error = wrongType;
  } else {
    size = static_cast<std::uint64_t>(info.st_size);
    return file;
  }
  ::_close(file);
  return -1;
}

long readSome(int file, char* into, std::size_t count, std::string& error) {
  int got = ::_read(file, into, static_cast<unsigned>(std::min<std::size_t>(count, 1u << 30)));
  if (got < 0) error = systemReason("cannot read the file", errno);
  return got;
}

void closeFile(int file) { ::_close(file); }

}  // namespace xlfile::os
