#include "spreadsheet/xls/palette.h"

#include <algorithm>
#include <iterator>

#include "spreadsheet/xls/little_endian.h"

namespace xls {
namespace {

// Entries 8 to 63 of the built-in palette, as 0xRRGGBB.
constexpr std::uint32_t kDefaultColors[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
constexpr std::uint16_t kFirstPaletteIndex = 8;
constexpr std::uint16_t kSystemBackground = 65;

}  // namespace

Palette::Palette() { std::copy(std::begin(kDefaultColors), std::end(kDefaultColors), colors_); }

void Palette::load(std::string_view record) {
  if (record.size() < 2) return;
  std::size_t count = std::min<std::size_t>({u16At(record, 0), (record.size() - 2) / 4, 56});
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t pos = 2 + 4 * i;
    colors_[i] = (static_cast<std::uint32_t>(byteAt(record, pos)) << 16) |
                 (static_cast<std::uint32_t>(byteAt(record, pos + 1)) << 8) |
                 byteAt(record, pos + 2);
  }
}

std::uint32_t Palette::bgr(std::uint16_t index) const {
  std::uint32_t rgb = 0x000000;
  if (index < kFirstPaletteIndex) {
    rgb = kDefaultColors[index];  // the eight fixed colours
  } else if (index < kFirstPaletteIndex + 56) {
    rgb = colors_[index - kFirstPaletteIndex];
  } else if (index == kSystemBackground) {
    rgb = 0xFFFFFF;
  }
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16);
}

}  // namespace xls
