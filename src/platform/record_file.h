// Low-level file access for record files: positioned reads and writes, cutting, flushing,
// byte-range locks, and the durable whole-file replace. Everything goes through the FileSystem
// interface so tests can put a fault-injecting layer underneath.
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

enum class LockMode { shared, exclusive };

// Which file a handle reads and what state it is in, as far as the file system tells without
// reading it: the same file (volume and number), the same length and the same time of the last
// write. A change made within the clock's resolution of the previous one can go unseen, so
// callers that must see every change compare something of the content as well.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  std::uint64_t length = 0;
  std::int64_t modified = 0;  // in the platform's units
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// How a mapping will be read: all of it from start to end, or here and there.
enum class MapUse { whole, sparse };

// Bytes of a file mapped into memory for reading; unmapped when this goes.
class MappedBytes {
 public:
  virtual ~MappedBytes() = default;
  virtual const char* data() const = 0;
  virtual std::size_t size() const = 0;
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
  // Makes every write so far reach the disk (fsync, FlushFileBuffers).
  virtual bool flush() = 0;
  // Lock of a byte range that fails at once when another handle holds an overlapping one that
  // conflicts (any lock against an exclusive one). Locks belong to this handle, not to the
  // process; a range may lie beyond the end of the file.
  virtual bool tryLock(std::uint64_t offset, std::uint64_t size, LockMode mode) = 0;
  bool tryLock(std::uint64_t offset, std::uint64_t size) {
    return tryLock(offset, size, LockMode::exclusive);
  }
  virtual void unlock(std::uint64_t offset, std::uint64_t size) = 0;
  // True once the file this handle reads and writes has no name any more (another process
  // deleted it): its writes would reach no file. Windows never lets that happen to a file
  // open here.
  virtual bool unlinked() { return false; }
  // Maps `size` bytes at `offset` (within the file) for reading. Null where this file cannot be
  // mapped, or where reading it is the faster way for that use: the caller reads instead. Reading
  // the mapping is reading the file without copying it, and no byte-range lock stands in its way.
  // The bytes must stay in the file while they are mapped: natively a page cut off the file cannot
  // be read at all, so map only what no other handle may cut meanwhile.
  virtual std::unique_ptr<MappedBytes> map(std::uint64_t /*offset*/, std::size_t /*size*/,
                                           MapUse /*use*/) {
    return nullptr;
  }
  // False when the file system cannot tell.
  virtual bool identity(FileIdentity& /*out*/) { return false; }
  // Cause of the last failure of this handle.
  virtual FileFault lastFault() const = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Null on failure, with the cause in `fault`.
  virtual std::unique_ptr<RecordFile> open(const std::filesystem::path& path,
                                           const OpenRequest& request, FileFault& fault) = 0;
  // Renames `from`, flushed beforehand, onto `to` in one step and makes the rename durable;
  // fails when `to` is held open elsewhere on Windows.
  virtual bool replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // As replace, but only when `to` does not exist yet; false when it does.
  virtual bool placeNew(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Deletes the file and makes that durable; fails on Windows while another handle has it open.
  virtual bool remove(const std::filesystem::path& path) = 0;
  virtual bool exists(const std::filesystem::path& path) = 0;
  // Makes the creation of a file in the path's folder durable.
  virtual bool syncFolderOf(const std::filesystem::path& path) = 0;
};

// The operating system's files.
FileSystem& nativeFileSystem();

}  // namespace platform
