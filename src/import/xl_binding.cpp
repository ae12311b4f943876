#include "import/xl_binding.h"

#include <cstdlib>
#include <memory>
#include <mutex>

#include "import/library_file.h"
#include "platform/run_directory.h"
#include "platform/shared_library.h"

namespace xlbind {
namespace {

std::mutex& lock() {
  static std::mutex mutex;
  return mutex;
}

std::filesystem::path& chosenPath() {
  static std::filesystem::path path;
  return path;
}

// Loaded once and kept for the rest of the run: resolved addresses point into it.
platform::SharedLibrary* library = nullptr;
std::atomic<MissingFunctionHandler> missingHandler{nullptr};

[[noreturn]] void missing(const char* functionName) {
  if (auto handler = missingHandler.load()) handler(libraryFileName(), functionName);
  std::abort();
}

}  // namespace

void setMissingFunctionHandler(MissingFunctionHandler handler) { missingHandler.store(handler); }

std::filesystem::path libraryPath() {
  std::lock_guard guard(lock());
  if (!chosenPath().empty()) return chosenPath();
  return platform::runDirectory() / libraryFileName();
}

void setLibraryPath(const std::filesystem::path& path) {
  std::lock_guard guard(lock());
  chosenPath() = path;
}

namespace {

void* find(LazyFunction& function) {
  if (void* address = function.address.load(std::memory_order_acquire)) return address;
  auto path = libraryPath();
  void* address = nullptr;
  {
    std::lock_guard guard(lock());
    if (!library)
      library = platform::SharedLibrary::load(std::filesystem::absolute(path)).release();
    if (library) address = library->function(function.name);
  }
  if (address) function.address.store(address, std::memory_order_release);
  return address;
}

}  // namespace

void* resolve(LazyFunction& function) {
  void* address = find(function);
  if (!address) missing(function.name);
  return address;
}

bool available(LazyFunction& function) { return find(function) != nullptr; }

#define XL_DEFINE_ENTRY(ret, name, params) LazyFunction name##Entry{#name};
XL_API_FUNCTIONS(XL_DEFINE_ENTRY)
#undef XL_DEFINE_ENTRY

}  // namespace xlbind
