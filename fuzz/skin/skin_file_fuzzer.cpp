// A skin file through the skin library's reader, and the colours it gives through the shift.
#include <cstddef>
#include <cstdint>

#include "skin/library/skin_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  skinlib::Palette palette;
  int unknown = 0;
  if (!skinlib::readSkin(data, std::uint32_t(size), palette, &unknown)) return 0;
  int hue = size > 8 ? int(data[5]) - 128 : 0;
  for (int role = 0; role < skinlib::kRoleCount; ++role) {
    std::uint32_t shifted = skinlib::shiftColour(palette.colour[role], hue, -hue / 2, hue / 3);
    if (shifted > 0xFFFFFF) __builtin_trap();
  }
  return 0;
}
