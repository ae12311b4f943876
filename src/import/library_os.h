// What provisioning and binding need from the operating system; Win32 and POSIX versions
// live in win32/ and posix/.
#pragma once
#include <filesystem>
#include <string>

namespace xlbind {

// "libxl.dll" on Windows, "libxl.so" natively.
const char* libraryFileName();

// Opens a shared library by absolute path; nullptr when it cannot be loaded.
void* openLibrary(const std::filesystem::path& path);
void* findFunction(void* library, const char* name);

// Shows the message (GBK text) and ends the process.
[[noreturn]] void stopProgram(const std::string& message);

// File attributes as Windows knows them; natively there is nothing to set and they succeed.
bool clearFileAttributes(const std::filesystem::path& path);
bool setHiddenOrArchive(const std::filesystem::path& path, bool hidden);

}  // namespace xlbind
