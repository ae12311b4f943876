// Low-level file access for record files: positioned reads and writes, cutting, byte-range
// locks, and the whole-file replace that crash-safe rewrites rely on. Everything goes through
// the FileSystem interface so tests can put a fault-injecting layer underneath.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace platform {

// Why a file operation failed, in the terms the record database reports.
enum class FileFault {
  none,
  other,
  notFound,
  badPath,
  tooManyOpen,
  accessDenied,
  invalidHandle,
  removeCurrentDir,
  directoryFull,
  badSeek,
  hardwareIo,
  sharingViolation,
  lockViolation,
  diskFull,
  endOfFile,
};

enum class OpenMode {
  readOnly,   // existing file, read access
  readWrite,  // existing file, read and write access
  create,     // new file (an existing one is emptied), read and write access
};

struct OpenRequest {
  OpenMode mode = OpenMode::readWrite;
  // Exclusive: no other handle may open the file while this one is open (share mode 0 on
  // Windows, an exclusive advisory lock natively).
  bool exclusive = false;
};

class RecordFile {
 public:
  virtual ~RecordFile() = default;

  // Reads up to `size` bytes at `offset`; returns the count read (short only at the end of the
  // file), or -1 on failure.
  virtual std::int64_t readAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;
  // Writes all `size` bytes at `offset`; false when any of them could not be written.
  virtual bool writeAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
  // File length in bytes, or -1 on failure.
  virtual std::int64_t length() = 0;
  virtual bool truncate(std::uint64_t length) = 0;
  // Exclusive lock of a byte range that fails at once when another handle holds an
  // overlapping one. Locks belong to this handle, not to the process.
  virtual bool tryLock(std::uint64_t offset, std::uint64_t size) = 0;
  virtual void unlock(std::uint64_t offset, std::uint64_t size) = 0;
  // Cause of the last failure of this handle.
  virtual FileFault lastFault() const = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Null on failure, with the cause in `fault`.
  virtual std::unique_ptr<RecordFile> open(const std::filesystem::path& path,
                                           const OpenRequest& request, FileFault& fault) = 0;
  // Renames `from` onto `to`, replacing it; fails when `to` is held open elsewhere on Windows.
  virtual bool replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  virtual bool remove(const std::filesystem::path& path) = 0;
};

// The operating system's files.
FileSystem& nativeFileSystem();

}  // namespace platform
