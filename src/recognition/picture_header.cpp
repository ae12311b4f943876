#include "recognition/picture_header.h"

#include <cstdint>
#include <cstdlib>

namespace recognition {
namespace {

unsigned byteAt(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

std::uint32_t bigEndian(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = value << 8 | byteAt(bytes, at + std::size_t(i));
  return value;
}

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | byteAt(bytes, at + std::size_t(i));
  return value;
}

std::optional<PictureSize> pngSize(std::string_view bytes) {
  // The signature, then the IHDR chunk: length, type, width, height.
  if (bytes.size() < 24 || bytes.substr(12, 4) != "IHDR") return std::nullopt;
  return PictureSize{bigEndian(bytes, 16, 4), bigEndian(bytes, 20, 4)};
}

std::optional<PictureSize> gifSize(std::string_view bytes) {
  // The logical screen, which is what a decoder allocates for.
  if (bytes.size() < 10) return std::nullopt;
  return PictureSize{littleEndian(bytes, 6, 2), littleEndian(bytes, 8, 2)};
}

std::optional<PictureSize> bmpSize(std::string_view bytes) {
  if (bytes.size() < 26) return std::nullopt;
  if (littleEndian(bytes, 14, 4) == 12)  // the old OS/2 header: 16-bit sides
    return PictureSize{littleEndian(bytes, 18, 2), littleEndian(bytes, 20, 2)};
  const auto width = std::int32_t(littleEndian(bytes, 18, 4));
  const auto height = std::int32_t(littleEndian(bytes, 22, 4));  // negative: rows top first
  return PictureSize{std::llabs(width), std::llabs(height)};
}

// Walks the segments to the first frame header (any SOF marker).
std::optional<PictureSize> jpegSize(std::string_view bytes) {
  std::size_t at = 2;
  while (at + 4 <= bytes.size()) {
    if (byteAt(bytes, at) != 0xFF) return std::nullopt;
    const unsigned marker = byteAt(bytes, at + 1);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // no frame before the data
    const std::size_t length = bigEndian(bytes, at + 2, 2);
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 7 || at + 9 > bytes.size()) return std::nullopt;
      return PictureSize{bigEndian(bytes, at + 7, 2), bigEndian(bytes, at + 5, 2)};
    }
    if (length < 2) return std::nullopt;
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<PictureSize> pictureSizeOf(std::string_view bytes) {
  if (bytes.starts_with("\x89PNG\r\n\x1a\n")) return pngSize(bytes);
  if (bytes.starts_with("\xFF\xD8")) return jpegSize(bytes);
  if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return gifSize(bytes);
  if (bytes.starts_with("BM")) return bmpSize(bytes);
  return std::nullopt;
}

}  // namespace recognition
