// Small BMP files for image tests: write a picture from pixels, and read back the kinds the
// encoders write (8 bits with a palette, 24 and 32 bits, plain or with the standard bit
// fields), bottom-up or not.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bmp {

struct Pixel {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Pixel&) const = default;
};

struct Picture {
  int width = 0, height = 0;
  std::vector<Pixel> pixels;  // top row first
  Pixel at(int x, int y) const {
    return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  }
};

inline void put16(std::string& out, unsigned v) {
  out += char(v & 0xFF), out += char(v >> 8 & 0xFF);
}
inline void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFF), put16(out, v >> 16);
}
inline std::uint32_t get32(std::string_view in, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(in[at + std::size_t(i)]);
  return v;
}

// A BITMAPINFOHEADER file, 24 or 32 bits per pixel, bottom-up unless topDown.
inline std::string write(const Picture& picture, int bitsPerPixel = 24, bool topDown = false) {
  const std::size_t bytesPerPixel = std::size_t(bitsPerPixel / 8);
  const std::size_t stride = (std::size_t(picture.width) * bytesPerPixel + 3) / 4 * 4;
  const std::size_t imageSize = stride * std::size_t(picture.height);
  std::string out = "BM";
  put32(out, std::uint32_t(14 + 40 + imageSize));
  put32(out, 0);
  put32(out, 14 + 40);
  put32(out, 40);
  put32(out, std::uint32_t(picture.width));
  put32(out, std::uint32_t(topDown ? -picture.height : picture.height));
  put16(out, 1);
  put16(out, unsigned(bitsPerPixel));
  for (int i = 0; i < 6; ++i) put32(out, i == 1 ? std::uint32_t(imageSize) : 0);
  for (int row = 0; row < picture.height; ++row) {
    int y = topDown ? row : picture.height - 1 - row;
    std::string line;
    for (int x = 0; x < picture.width; ++x) {
      Pixel p = picture.at(x, y);
      line += char(p.b), line += char(p.g), line += char(p.r);
      if (bytesPerPixel == 4) line += char(p.a);
    }
    line.resize(stride, '\0');
    out += line;
  }
  return out;
}

inline std::optional<Picture> read(std::string_view file) {
  if (file.size() < 54 || file.substr(0, 2) != "BM") return std::nullopt;
  const std::uint32_t offset = get32(file, 10), header = get32(file, 14);
  const auto width = std::int32_t(get32(file, 18)), rawHeight = std::int32_t(get32(file, 22));
  const unsigned bits = static_cast<unsigned char>(file[28]);
  const std::uint32_t compression = get32(file, 30);
  if (width <= 0 || rawHeight == 0 || (bits != 8 && bits != 24 && bits != 32)) return std::nullopt;
  // Bit fields (3) are accepted only in the usual BGRA layout.
  if (compression != 0 && !(compression == 3 && header >= 52 && get32(file, 54) == 0xFF0000 &&
                            get32(file, 58) == 0xFF00 && get32(file, 62) == 0xFF))
    return std::nullopt;
  Picture picture;
  picture.width = width;
  picture.height = rawHeight < 0 ? -rawHeight : rawHeight;
  const std::size_t bytesPerPixel = bits / 8;
  const std::size_t palette = 14 + header, colours = get32(file, 46) ? get32(file, 46) : 256;
  if (bits == 8 && palette + colours * 4 > file.size()) return std::nullopt;
  const std::size_t stride = (std::size_t(width) * bytesPerPixel + 3) / 4 * 4;
  if (offset + stride * std::size_t(picture.height) > file.size()) return std::nullopt;
  picture.pixels.resize(std::size_t(width) * std::size_t(picture.height));
  for (int row = 0; row < picture.height; ++row) {
    int y = rawHeight < 0 ? row : picture.height - 1 - row;
    for (int x = 0; x < width; ++x) {
      const std::size_t at = offset + std::size_t(row) * stride + std::size_t(x) * bytesPerPixel;
      Pixel& p = picture.pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
      std::size_t bgr = at;
      if (bits == 8) {
        const std::size_t index = static_cast<unsigned char>(file[at]);
        if (index >= colours) return std::nullopt;
        bgr = palette + index * 4;
      }
      p.b = std::uint8_t(file[bgr]), p.g = std::uint8_t(file[bgr + 1]),
      p.r = std::uint8_t(file[bgr + 2]);
      p.a = bytesPerPixel == 4 ? std::uint8_t(file[at + 3]) : 255;
    }
  }
  return picture;
}

inline Picture solid(int width, int height, Pixel colour) {
  return {width, height, std::vector<Pixel>(std::size_t(width) * std::size_t(height), colour)};
}

}  // namespace bmp
