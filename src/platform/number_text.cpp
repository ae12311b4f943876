#include "platform/number_text.h"

#include <cstdio>

namespace platform {

std::string numberText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.13g", value);
  return buffer;
}

}  // namespace platform
