#include "platform/record_file.h"

#include <windows.h>

#include <algorithm>

#include "platform/clock.h"
#include "platform/files.h"

namespace platform {
namespace {

FileFault faultOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return FileFault::notFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return FileFault::badPath;
    case ERROR_TOO_MANY_OPEN_FILES:
      return FileFault::tooManyOpen;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FileFault::accessDenied;
    case ERROR_INVALID_HANDLE:
      return FileFault::invalidHandle;
    case ERROR_CURRENT_DIRECTORY:
      return FileFault::removeCurrentDir;
    case ERROR_CANNOT_MAKE:
      return FileFault::directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
      return FileFault::badSeek;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
      return FileFault::hardwareIo;
    case ERROR_SHARING_VIOLATION:
      return FileFault::sharingViolation;
    case ERROR_LOCK_VIOLATION:
      return FileFault::lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileFault::diskFull;
    case ERROR_HANDLE_EOF:
      return FileFault::endOfFile;
    default:
      return FileFault::other;
  }
}

OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

// Another handle's LockFileEx lock makes reads of that range fail; such locks are held only
// for a moment, so a read waits a while before giving up.
constexpr std::uint32_t kLockedReadWaitMs = 2000;

class Win32MappedBytes final : public MappedBytes {
 public:
  Win32MappedBytes(void* view, std::size_t skip, std::size_t size)
      : view_(view), skip_(skip), size_(size) {}
  ~Win32MappedBytes() override { UnmapViewOfFile(view_); }
  const char* data() const override { return static_cast<const char*>(view_) + skip_; }
  std::size_t size() const override { return size_; }

 private:
  void* view_;
  std::size_t skip_;  // from the allocation boundary the view starts at to the bytes asked for
  std::size_t size_;
};

class Win32RecordFile final : public RecordFile {
 public:
  explicit Win32RecordFile(HANDLE handle) : handle_(handle) {}
  ~Win32RecordFile() override { CloseHandle(handle_); }

  std::int64_t readAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    std::uint32_t started = tickCount();
    while (done < size) {
      OVERLAPPED o = at(offset + done);
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(handle_, out + done, chunk, &got, &o)) {
        DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) break;
        if (error == ERROR_LOCK_VIOLATION && tickCount() - started < kLockedReadWaitMs) {
          sleepMs(20 + tickCount() % 20);
          continue;
        }
        return fail(error);
      }
      if (got == 0) break;
      done += got;
    }
    return static_cast<std::int64_t>(done);
  }

  bool writeAt(std::uint64_t offset, const void* data, std::size_t size) override {
    const auto* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
      OVERLAPPED o = at(offset + done);
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
      DWORD put = 0;
      if (!WriteFile(handle_, in + done, chunk, &put, &o)) return fail(GetLastError()) == 0;
      if (put == 0) return fail(ERROR_DISK_FULL) == 0;
      done += put;
    }
    return true;
  }

  std::int64_t length() override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) return fail(GetLastError());
    return size.QuadPart;
  }

  bool truncate(std::uint64_t length) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(length);
    if (SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) && SetEndOfFile(handle_)) return true;
    return fail(GetLastError()) == 0;
  }

  bool flush() override {
    if (FlushFileBuffers(handle_)) return true;
    return fail(GetLastError()) == 0;
  }

  bool tryLock(std::uint64_t offset, std::uint64_t size, LockMode mode) override {
    OVERLAPPED o = at(offset);
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
    if (mode == LockMode::exclusive) flags |= LOCKFILE_EXCLUSIVE_LOCK;
    if (LockFileEx(handle_, flags, 0, static_cast<DWORD>(size), static_cast<DWORD>(size >> 32), &o))
      return true;
    fail(GetLastError());
    if (fault_ == FileFault::other) fault_ = FileFault::lockViolation;
    return false;
  }

  void unlock(std::uint64_t offset, std::uint64_t size) override {
    OVERLAPPED o = at(offset);
    UnlockFileEx(handle_, 0, static_cast<DWORD>(size), static_cast<DWORD>(size >> 32), &o);
  }

  std::unique_ptr<MappedBytes> map(std::uint64_t offset, std::size_t size, MapUse) override {
    static const std::uint64_t granularity = [] {
      SYSTEM_INFO info;
      GetSystemInfo(&info);
      return std::uint64_t{info.dwAllocationGranularity};
    }();
    if (size == 0) return nullptr;
    const std::uint64_t start = offset / granularity * granularity;
    const std::uint64_t end = offset + size;
    // The section ends where the bytes asked for end, so another handle may still cut the file
    // behind them (a mapped section keeps the file from shrinking below its size).
    HANDLE section =
        CreateFileMappingW(handle_, nullptr, PAGE_READONLY, DWORD(end >> 32), DWORD(end), nullptr);
    if (!section) {
      fail(GetLastError());
      return nullptr;
    }
    void* view = MapViewOfFile(section, FILE_MAP_READ, DWORD(start >> 32), DWORD(start),
                               static_cast<SIZE_T>(end - start));
    if (!view) fail(GetLastError());
    CloseHandle(section);  // the view keeps the section
    if (!view) return nullptr;
    return std::make_unique<Win32MappedBytes>(view, std::size_t(offset - start), size);
  }

  bool identity(FileIdentity& out) override {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle_, &info)) return fail(GetLastError()) == 0;
    out.volume = info.dwVolumeSerialNumber;
    out.file = std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
    out.length = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    out.modified =
        static_cast<std::int64_t>(std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32 |
                                  info.ftLastWriteTime.dwLowDateTime);
    return true;
  }

  FileFault lastFault() const override { return fault_; }

 private:
  int fail(DWORD error) {
    fault_ = faultOf(error);
    return -1;
  }

  HANDLE handle_;
  FileFault fault_ = FileFault::none;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<RecordFile> open(const std::filesystem::path& path, const OpenRequest& request,
                                   FileFault& fault) override {
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if (request.mode != OpenMode::readOnly) access |= GENERIC_WRITE;
    if (request.mode == OpenMode::create) disposition = CREATE_ALWAYS;
    // No FILE_SHARE_DELETE: a bank open elsewhere must not be replaced under that process.
    DWORD share = request.exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      fault = faultOf(GetLastError());
      return nullptr;
    }
    fault = FileFault::none;
    return std::make_unique<Win32RecordFile>(handle);
  }

  bool replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return replaceDurably(from, to);
  }

  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
  bool placeNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
  }

  bool remove(const std::filesystem::path& path) override { return DeleteFileW(path.c_str()) != 0; }

  bool exists(const std::filesystem::path& path) override {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  // NTFS makes a file's creation durable with the file itself.
  bool syncFolderOf(const std::filesystem::path&) override { return true; }
};

}  // namespace

FileSystem& nativeFileSystem() {
  static Win32FileSystem files;
  return files;
}

}  // namespace platform
