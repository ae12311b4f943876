#include "spreadsheet/workbook_file.h"

#include <algorithm>

#include "spreadsheet/workbook_file_os.h"

namespace xlfile {
namespace {

struct OpenFile {
  int handle;
  ~OpenFile() {
    if (handle >= 0) os::closeFile(handle);
  }
};

}  // namespace

std::string tooBigReason(std::uint64_t size) {
  const std::uint64_t megabytes = (size >> 20) + ((size & 0xFFFFF) != 0 ? 1 : 0);
  return "the file is too big to be a workbook (" + std::to_string(megabytes) + " MB; at most " +
         std::to_string(kMaxWorkbookBytes >> 20) + " MB)";
}

bool readWorkbookFile(const std::filesystem::path& path, std::string& bytes, std::string& error) {
  bytes.clear();
  std::uint64_t size = 0;
  OpenFile file{os::openRegularFile(path, size, error)};
  if (file.handle < 0) return false;
  if (size > kMaxWorkbookBytes) {
    error = tooBigReason(size);
    return false;
  }
  // The file may change while it is read: read to its end, but never past the limit.
  bytes.resize(static_cast<std::size_t>(size) + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      if (bytes.size() > kMaxWorkbookBytes) {
        error = tooBigReason(bytes.size());
        bytes.clear();
        return false;
      }
      bytes.resize(std::min<std::size_t>(bytes.size() * 2, kMaxWorkbookBytes + 1));
    }
    long count = os::readSome(file.handle, bytes.data() + got, bytes.size() - got, error);
    if (count < 0) {
      bytes.clear();
      return false;
    }
    if (count == 0) break;
    got += static_cast<std::size_t>(count);
  }
  bytes.resize(got);
  if (bytes.empty()) {
    error = kEmptyReason;
    return false;
  }
  return true;
}

}  // namespace xlfile
