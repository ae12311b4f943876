// Shared libraries loaded at run time and their functions found by exported name (LoadLibraryW
// and GetProcAddress on Windows, dlopen and dlsym natively).
#pragma once
#include <filesystem>
#include <memory>
#include <string>

namespace platform {

class SharedLibrary {
 public:
  // The library file at `path`; null when it cannot be loaded.
  static std::unique_ptr<SharedLibrary> load(const std::filesystem::path& path);
  // A library the system finds by its name ("user32.dll"); null when it cannot be loaded.
  static std::unique_ptr<SharedLibrary> loadByName(const std::string& name);

  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // The address of an exported function, or null.
  void* function(const char* name) const;
  // By export ordinal; null natively, where exports have no ordinals.
  void* functionByOrdinal(unsigned ordinal) const;

 private:
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace platform
