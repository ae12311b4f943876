#include "platform/file_version.h"

#include <cstdio>

namespace platform {

std::string fileVersionQuery(unsigned language, unsigned codePage) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%08X", ((language & 0xFFFFu) << 16) | (codePage & 0xFFFFu));
  return std::string("\\StringFileInfo\\") + digits + "\\FileVersion";
}

}  // namespace platform
