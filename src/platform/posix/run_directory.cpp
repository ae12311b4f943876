#include "platform/run_directory.h"

#include <cstdlib>
#include <system_error>

namespace platform {

std::filesystem::path programDirectory() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path();
  return exe.parent_path();
}

std::filesystem::path runDirectory() {
  const char* over = std::getenv(kRunDirEnv);
  if (over && *over) return std::filesystem::path(over);
  return programDirectory();
}

}  // namespace platform
