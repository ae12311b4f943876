#include <cstdio>

#include "platform/files.h"

namespace platform {

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace platform
