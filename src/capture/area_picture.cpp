#include "capture/area_picture.h"

namespace capture {
namespace {

void put16(std::string& out, std::uint32_t value) {
  out += char(value & 0xFF);
  out += char((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

}  // namespace

std::string areaBmp(const std::vector<std::uint32_t>& pixels, int width, int height) {
  if (width <= 0 || height <= 0 || width > 0x8000 || height > 0x8000 ||
      pixels.size() < std::size_t(width) * std::size_t(height))
    return {};
  const std::uint32_t rowBytes = (std::uint32_t(width) * 3 + 3) & ~3u;
  const std::uint32_t imageBytes = rowBytes * std::uint32_t(height);
  std::string out;
  out.reserve(54 + imageBytes);
  out += "BM";
  put32(out, 54 + imageBytes);
  put32(out, 0);
  put32(out, 54);
  put32(out, 40);
  put32(out, std::uint32_t(width));
  put32(out, std::uint32_t(height));  // positive: bottom row first
  put16(out, 1);
  put16(out, 24);
  put32(out, 0);  // BI_RGB
  put32(out, imageBytes);
  put32(out, 2835);  // 72 dpi
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    const std::uint32_t* row = pixels.data() + std::size_t(y) * std::size_t(width);
    for (int x = 0; x < width; ++x) {
      out += char(row[x] & 0xFF);
      out += char((row[x] >> 8) & 0xFF);
      out += char((row[x] >> 16) & 0xFF);
    }
    out.append(rowBytes - std::uint32_t(width) * 3, '\0');
  }
  return out;
}

}  // namespace capture
