#include "import/xl_binding.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "import/library_os.h"
#include "platform/cp936.h"
#include "platform/run_directory.h"

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

void* libraryModule = nullptr;

[[noreturn]] void missing(const char* functionName) {
  std::string format = cp936::fromUtf8("无法找到指定DLL库文件“%s”中的输出命令“%s”");
  std::string message;
  for (std::size_t i = 0, argument = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
      message += argument++ == 0 ? std::string(libraryFileName()) : std::string(functionName);
      ++i;
    } else {
      message += format[i];
    }
  }
  stopProgram(message);
}

}  // namespace

std::filesystem::path libraryPath() {
  std::lock_guard guard(lock());
  if (!chosenPath().empty()) return chosenPath();
  return platform::runDirectory() / libraryFileName();
}

void setLibraryPath(const std::filesystem::path& path) {
  std::lock_guard guard(lock());
  chosenPath() = path;
}

void* resolve(LazyFunction& function) {
  auto path = libraryPath();
  std::lock_guard guard(lock());
  if (!libraryModule) libraryModule = openLibrary(std::filesystem::absolute(path));
  void* address = libraryModule ? findFunction(libraryModule, function.name) : nullptr;
  if (!address) missing(function.name);
  function.address.store(address, std::memory_order_release);
  return address;
}

#define XL_DEFINE_ENTRY(ret, name, params) LazyFunction name##Entry{#name};
XL_API_FUNCTIONS(XL_DEFINE_ENTRY)
#undef XL_DEFINE_ENTRY

}  // namespace xlbind
