#include "import/library_os.h"

#include <windows.h>

#include <cstdlib>

#include "platform/cp936.h"

namespace xlbind {

const char* libraryFileName() { return "libxl.dll"; }

void* openLibrary(const std::filesystem::path& path) {
  return reinterpret_cast<void*>(LoadLibraryW(path.c_str()));
}

void* findFunction(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void stopProgram(const std::string& message) {
  std::u16string text = cp936::toUtf16(message);
  MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.c_str()), L"Quorvix",
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(1);
}

bool clearFileAttributes(const std::filesystem::path& path) {
  return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool setHiddenOrArchive(const std::filesystem::path& path, bool hidden) {
  return SetFileAttributesW(path.c_str(),
                            hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_ARCHIVE) != 0;
}

}  // namespace xlbind
