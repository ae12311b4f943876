#include "import/library_os.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "platform/cp936.h"

namespace xlbind {

const char* libraryFileName() { return "libxl.so"; }

void* openLibrary(const std::filesystem::path& path) {
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* findFunction(void* library, const char* name) { return dlsym(library, name); }

void stopProgram(const std::string& message) {
  std::fprintf(stderr, "%s\n", cp936::toUtf8(message).c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

bool clearFileAttributes(const std::filesystem::path&) { return true; }
bool setHiddenOrArchive(const std::filesystem::path&, bool) { return true; }

}  // namespace xlbind
