#include "platform/shared_library.h"

#include <windows.h>

#include "platform/cp936.h"

namespace platform {

std::unique_ptr<SharedLibrary> SharedLibrary::load(const std::filesystem::path& path) {
  HMODULE module = LoadLibraryW(path.c_str());
  return module ? std::unique_ptr<SharedLibrary>(new SharedLibrary(module)) : nullptr;
}

std::unique_ptr<SharedLibrary> SharedLibrary::loadByName(const std::string& name) {
  std::u16string wide = cp936::toUtf16(name);
  HMODULE module = LoadLibraryW(reinterpret_cast<const wchar_t*>(wide.c_str()));
  return module ? std::unique_ptr<SharedLibrary>(new SharedLibrary(module)) : nullptr;
}

SharedLibrary::~SharedLibrary() { FreeLibrary(static_cast<HMODULE>(handle_)); }

void* SharedLibrary::function(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void* SharedLibrary::functionByOrdinal(unsigned ordinal) const {
  return reinterpret_cast<void*>(
      GetProcAddress(static_cast<HMODULE>(handle_), MAKEINTRESOURCEA(ordinal & 0xFFFF)));
}

}  // namespace platform
