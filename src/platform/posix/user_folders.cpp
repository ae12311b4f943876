#include "platform/user_folders.h"

#include <cstdlib>
#include <system_error>

namespace platform {

std::filesystem::path desktopFolder() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) return {};
  std::filesystem::path desktop = std::filesystem::path(home) / "Desktop";
  std::error_code ec;
  return std::filesystem::is_directory(desktop, ec) ? desktop : std::filesystem::path(home);
}

}  // namespace platform
