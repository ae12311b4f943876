#include "platform/shared_library.h"

#include <dlfcn.h>

namespace platform {

std::unique_ptr<SharedLibrary> SharedLibrary::load(const std::filesystem::path& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  return handle ? std::unique_ptr<SharedLibrary>(new SharedLibrary(handle)) : nullptr;
}

std::unique_ptr<SharedLibrary> SharedLibrary::loadByName(const std::string& name) {
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  return handle ? std::unique_ptr<SharedLibrary>(new SharedLibrary(handle)) : nullptr;
}

SharedLibrary::~SharedLibrary() { dlclose(handle_); }

void* SharedLibrary::function(const char* name) const { return dlsym(handle_, name); }

void* SharedLibrary::functionByOrdinal(unsigned) const { return nullptr; }

}  // namespace platform
