#include <windows.h>

#include <algorithm>

#include "platform/files.h"

namespace platform {

bool writeFileDurably(const std::filesystem::path& path, std::string_view bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    DWORD chunk = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 24)), wrote = 0;
    ok = WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
    done += wrote;
  }
  ok = ok && FlushFileBuffers(file);
  return CloseHandle(file) && ok;
}

// Only an id no process answers to, or one whose process has exited (someone may still hold
// a handle to it), means gone; a process this user may not query is running.
bool processHasEnded(std::uint32_t pid) {
  if (pid == 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

bool replaceDurably(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Windows refuses to replace a read-only file; Wine (as root) would not, so ask first.
  DWORD target = GetFileAttributesW(to.c_str());
  bool exists = target != INVALID_FILE_ATTRIBUTES;
  if (exists && (target & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  // Write-through: the call returns once the rename is on the disk.
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return false;
  // The new file would otherwise come out visible: keep what the user chose for the old one.
  DWORD carried = exists ? target & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) : 0;
  if (carried) {
    DWORD now = GetFileAttributesW(to.c_str());
    if (now != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(to.c_str(), now | carried);
  }
  return true;
}

bool setHiddenOrArchive(const std::filesystem::path& path, bool hidden) {
  return SetFileAttributesW(path.c_str(),
                            hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_ARCHIVE) != 0;
}

bool clearFileAttributes(const std::filesystem::path& path) {
  return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

}  // namespace platform
