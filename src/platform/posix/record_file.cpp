#include "platform/record_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/files.h"

namespace platform {
namespace {

FileFault faultOf(int error) {
  switch (error) {
    case ENOENT:
      return FileFault::notFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EISDIR:
      return FileFault::badPath;
    case EMFILE:
    case ENFILE:
      return FileFault::tooManyOpen;
    case EACCES:
    case EPERM:
    case EROFS:
      return FileFault::accessDenied;
    case EBADF:
      return FileFault::invalidHandle;
    case ESPIPE:
    case EINVAL:
      return FileFault::badSeek;
    case EIO:
      return FileFault::hardwareIo;
    case EWOULDBLOCK:
      return FileFault::sharingViolation;
    case EDQUOT:
    case ENOSPC:
    case EFBIG:
      return FileFault::diskFull;
    default:
      return FileFault::other;
  }
}

class PosixMappedBytes final : public MappedBytes {
 public:
  PosixMappedBytes(void* start, std::size_t length, std::size_t skip)
      : start_(start), length_(length), skip_(skip) {}
  ~PosixMappedBytes() override { ::munmap(start_, length_); }
  const char* data() const override { return static_cast<const char*>(start_) + skip_; }
  std::size_t size() const override { return length_ - skip_; }

 private:
  void* start_;
  std::size_t length_;
  std::size_t skip_;  // from the page boundary the mapping starts at to the bytes asked for
};

class PosixRecordFile final : public RecordFile {
 public:
  PosixRecordFile(int fd, bool writable) : fd_(fd), writable_(writable) {}
  ~PosixRecordFile() override { ::close(fd_); }

  std::int64_t readAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
      ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return fail(errno);
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
  }

  bool writeAt(std::uint64_t offset, const void* data, std::size_t size) override {
    const auto* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
      ssize_t n = ::pwrite(fd_, in + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return fail(errno) == 0;
      }
      if (n == 0) return fail(ENOSPC) == 0;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  std::int64_t length() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return fail(errno);
    return static_cast<std::int64_t>(st.st_size);
  }

  bool truncate(std::uint64_t length) override {
    if (::ftruncate(fd_, static_cast<off_t>(length)) == 0) return true;
    return fail(errno) == 0;
  }

  bool flush() override {
    if (::fsync(fd_) == 0) return true;
    return fail(errno) == 0;
  }

  // Open-file-description locks belong to this handle, as LockFileEx locks do on Windows.
  bool tryLock(std::uint64_t offset, std::uint64_t size, LockMode mode) override {
    // A read-only descriptor can only take a shared lock, which still keeps writers out.
    bool exclusive = mode == LockMode::exclusive && writable_;
    return setLock(exclusive ? F_WRLCK : F_RDLCK, offset, size);
  }
  void unlock(std::uint64_t offset, std::uint64_t size) override { setLock(F_UNLCK, offset, size); }

  std::unique_ptr<MappedBytes> map(std::uint64_t offset, std::size_t size, MapUse use) override {
    static const std::uint64_t page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    // Bytes read from start to end come faster through reads in pieces that stay in the
    // processor's cache: entering every page of a mapping into the page tables and taking it
    // out again costs as much as the kernel's copy, and the reading then waits on memory.
    if (size == 0 || use == MapUse::whole) return nullptr;
    const std::uint64_t start = offset / page * page;
    const std::size_t skip = static_cast<std::size_t>(offset - start);
    void* at = ::mmap(nullptr, size + skip, PROT_READ, MAP_SHARED, fd_, static_cast<off_t>(start));
    if (at == MAP_FAILED) {
      fail(errno);
      return nullptr;
    }
    return std::make_unique<PosixMappedBytes>(at, size + skip, skip);
  }

  bool identity(FileIdentity& out) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return fail(errno) == 0;
    out.volume = static_cast<std::uint64_t>(st.st_dev);
    out.file = static_cast<std::uint64_t>(st.st_ino);
    out.length = static_cast<std::uint64_t>(st.st_size);
    out.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
  }

  bool unlinked() override {
    struct stat st;
    return ::fstat(fd_, &st) == 0 && st.st_nlink == 0;
  }

  FileFault lastFault() const override { return fault_; }

 private:
  bool setLock(short type, std::uint64_t offset, std::uint64_t size) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(size);
    if (::fcntl(fd_, F_OFD_SETLK, &lock) == 0) return true;
    fault_ = (errno == EAGAIN || errno == EACCES) ? FileFault::lockViolation : faultOf(errno);
    return false;
  }

  int fail(int error) {
    fault_ = faultOf(error);
    return -1;
  }

  int fd_;
  bool writable_;
  FileFault fault_ = FileFault::none;
};

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<RecordFile> open(const std::filesystem::path& path, const OpenRequest& request,
                                   FileFault& fault) override {
    int flags = O_CLOEXEC;
    switch (request.mode) {
      case OpenMode::readOnly:
        flags |= O_RDONLY;
        break;
      case OpenMode::readWrite:
        flags |= O_RDWR;
        break;
      case OpenMode::create:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    }
    // Non-blocking for the open alone, so a FIFO where a file belongs cannot stall it.
    int fd = ::open(path.c_str(), flags | O_NONBLOCK, 0666);
    if (fd < 0) {
      fault = faultOf(errno);
      return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
      ::close(fd);
      fault = FileFault::badPath;
      return nullptr;
    }
    // Natively there are no share modes; an advisory lock stands in for "exclusive".
    if (request.exclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      fault = FileFault::sharingViolation;
      return nullptr;
    }
    fault = FileFault::none;
    return std::make_unique<PosixRecordFile>(fd, request.mode != OpenMode::readOnly);
  }

  bool replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return replaceDurably(from, to);
  }

  // A hard link never replaces an existing name: that is what makes this atomic.
  bool placeNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return syncFolderOf(to);
  }

  bool remove(const std::filesystem::path& path) override {
    return ::unlink(path.c_str()) == 0 && syncFolderOf(path);
  }

  bool exists(const std::filesystem::path& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }

  bool syncFolderOf(const std::filesystem::path& path) override {
    auto folder = path.parent_path();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
  }
};

}  // namespace

FileSystem& nativeFileSystem() {
  static PosixFileSystem files;
  return files;
}

}  // namespace platform
