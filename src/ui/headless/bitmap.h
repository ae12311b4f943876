// Pixels of the headless drawing panels, with just enough BMP reading and writing to take
// pictures in and give snapshots out (uncompressed 24- and 32-bit BMP).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/types.h"

namespace ui::headless {

class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, std::uint32_t fill = 0);

  int width() const { return width_; }
  int height() const { return height_; }
  // 0x00RRGGBB; 0 outside the bitmap.
  std::uint32_t pixel(int x, int y) const;
  void setPixel(int x, int y, std::uint32_t color);  // ignored outside

  // Copies `area` of source to `to`; parts outside either bitmap are skipped.
  void blit(const Bitmap& source, Rect area, Point to);
  void drawLine(Point from, Point to, std::uint32_t color);
  void drawRectangle(Point from, Point to, std::uint32_t color);  // outline only

  // nullopt for anything but an uncompressed 24- or 32-bit BMP.
  static std::optional<Bitmap> fromBmp(std::string_view bytes);
  std::string toBmp() const;  // 32-bit, bottom-up; empty for a bitmap without pixels

  friend bool operator==(const Bitmap&, const Bitmap&) = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;  // rows top to bottom
};

}  // namespace ui::headless
