#include "ui/headless/bitmap.h"

#include <algorithm>
#include <cstdlib>

namespace ui::headless {
namespace {

std::uint32_t readLe(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | std::uint8_t(bytes[at + i]);
  return value;
}

void writeLe(std::string& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(char((value >> (8 * i)) & 0xFF));
}

}  // namespace

Bitmap::Bitmap(int width, int height, std::uint32_t fill)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      pixels_(std::size_t(width_) * height_, fill) {}

std::uint32_t Bitmap::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[std::size_t(y) * width_ + x];
}

void Bitmap::setPixel(int x, int y, std::uint32_t color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[std::size_t(y) * width_ + x] = color & 0xFFFFFF;
}

void Bitmap::blit(const Bitmap& source, Rect area, Point to) {
  if (&source == this) {
    const Bitmap copy = source;
    blit(copy, area, to);
    return;
  }
  const Bitmap& from = source;
  for (int dy = 0; dy < area.height; ++dy) {
    for (int dx = 0; dx < area.width; ++dx) {
      int sx = area.left + dx, sy = area.top + dy;
      if (sx < 0 || sy < 0 || sx >= from.width_ || sy >= from.height_) continue;
      setPixel(to.x + dx, to.y + dy, from.pixel(sx, sy));
    }
  }
}

void Bitmap::drawLine(Point from, Point to, std::uint32_t color) {
  // Bresenham, both ends included.
  int dx = std::abs(to.x - from.x), sx = from.x < to.x ? 1 : -1;
  int dy = -std::abs(to.y - from.y), sy = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  Point p = from;
  for (;;) {
    setPixel(p.x, p.y, color);
    if (p == to) break;
    int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      p.x += sx;
    }
    if (twice <= dx) {
      error += dx;
      p.y += sy;
    }
  }
}

void Bitmap::drawRectangle(Point from, Point to, std::uint32_t color) {
  drawLine(from, {to.x, from.y}, color);
  drawLine({to.x, from.y}, to, color);
  drawLine(to, {from.x, to.y}, color);
  drawLine({from.x, to.y}, from, color);
}

std::optional<Bitmap> Bitmap::fromBmp(std::string_view bytes) {
  if (bytes.size() < 54 || bytes.substr(0, 2) != "BM") return std::nullopt;
  std::uint32_t dataOffset = readLe(bytes, 10, 4);
  std::int32_t width = std::int32_t(readLe(bytes, 18, 4));
  std::int32_t height = std::int32_t(readLe(bytes, 22, 4));
  std::uint32_t bits = readLe(bytes, 28, 2);
  std::uint32_t compression = readLe(bytes, 30, 4);
  if ((bits != 24 && bits != 32) || (compression != 0 && compression != 3)) return std::nullopt;
  if (width <= 0 || height == 0 || width > 32768 || std::abs(height) > 32768) return std::nullopt;
  bool topDown = height < 0;
  int rows = std::abs(height);
  std::size_t stride = (std::size_t(width) * (bits / 8) + 3) & ~std::size_t(3);
  if (dataOffset > bytes.size() || stride * rows > bytes.size() - dataOffset) return std::nullopt;
  Bitmap image(width, rows);
  for (int row = 0; row < rows; ++row) {
    std::size_t at = dataOffset + stride * row;
    int y = topDown ? row : rows - 1 - row;
    for (int x = 0; x < width; ++x) {
      image.setPixel(x, y, readLe(bytes, at + std::size_t(x) * (bits / 8), 3));
    }
  }
  return image;
}

std::string Bitmap::toBmp() const {
  if (width_ == 0 || height_ == 0) return {};
  std::uint32_t imageSize = std::uint32_t(width_) * height_ * 4;
  std::string out;
  out.reserve(54 + imageSize);
  out += "BM";
  writeLe(out, 54 + imageSize, 4);
  writeLe(out, 0, 4);
  writeLe(out, 54, 4);
  writeLe(out, 40, 4);  // BITMAPINFOHEADER
  writeLe(out, std::uint32_t(width_), 4);
  writeLe(out, std::uint32_t(height_), 4);
  writeLe(out, 1, 2);
  writeLe(out, 32, 2);
  writeLe(out, 0, 4);
  writeLe(out, imageSize, 4);
  writeLe(out, 3780, 4);  // 96 dpi
  writeLe(out, 3780, 4);
  writeLe(out, 0, 4);
  writeLe(out, 0, 4);
  for (int y = height_ - 1; y >= 0; --y) {
    for (int x = 0; x < width_; ++x) writeLe(out, pixel(x, y), 4);
  }
  return out;
}

}  // namespace ui::headless
