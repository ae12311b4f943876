// Colour indexes of .xls fonts, resolved through the default or the file's own palette.
#pragma once
#include <cstdint>
#include <string_view>

namespace xls {

class Palette {
 public:
  Palette();
  // Replaces entries 8 onward with the colours of a PALETTE record body.
  void load(std::string_view record);
  // The colour of an index as 0xBBGGRR, the library's colour layout; black for automatic and
  // unknown indexes.
  std::uint32_t bgr(std::uint16_t index) const;

 private:
  std::uint32_t colors_[56];
};

}  // namespace xls
