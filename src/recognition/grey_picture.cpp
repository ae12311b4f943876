#include "recognition/grey_picture.h"

#include <cstdlib>

#include "platform/image_codec.h"
#include "recognition/picture_header.h"

namespace recognition {
namespace {

std::uint32_t little(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i)
    v = v << 8 | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
  return v;
}

DecodedPicture failed(PictureError error) { return {error, {}}; }

// The program's codec hands every picture back as a plain 24-bit BMP: a 54-byte header, rows
// bottom first (or top first for a negative height), blue-green-red, each row padded to 4
// bytes. Anything else here would be a fault of the codec, and is refused, not trusted.
DecodedPicture readPlainBmp(std::string_view bmp) {
  if (bmp.size() < 54 || !bmp.starts_with("BM")) return failed(PictureError::kUndecodable);
  const std::uint32_t offset = little(bmp, 10, 4);
  const std::int32_t width = std::int32_t(little(bmp, 18, 4));
  const std::int32_t signedHeight = std::int32_t(little(bmp, 22, 4));
  const std::uint32_t bits = little(bmp, 28, 2), compression = little(bmp, 30, 4);
  // The codec writes 24 bits a pixel here, and 32 (blue, green, red, unused) on Windows, whose
  // encoder keeps the 32-bit layout of a flattened picture; with bit fields, only that order.
  const bool plain = compression == 0 && (bits == 24 || bits == 32);
  const bool standardFields = compression == 3 && bits == 32 && bmp.size() >= 66 &&
                              little(bmp, 54, 4) == 0x00FF0000 &&
                              little(bmp, 58, 4) == 0x0000FF00 && little(bmp, 62, 4) == 0x000000FF;
  if (!(plain || standardFields) || width <= 0 || signedHeight == 0)
    return failed(PictureError::kUndecodable);
  const std::int64_t height = std::llabs(signedHeight);
  if (width > kMaxPictureSide || height > kMaxPictureSide) return failed(PictureError::kTooLarge);
  const std::size_t bytesPerPixel = bits / 8;
  const std::size_t stride = (std::size_t(width) * bytesPerPixel + 3) / 4 * 4;
  if (offset > bmp.size() || (bmp.size() - offset) / stride < std::size_t(height))
    return failed(PictureError::kUndecodable);

  DecodedPicture out;
  GreyPicture& picture = out.picture;
  picture.width = width, picture.height = int(height);
  picture.pixels.resize(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < picture.height; ++y) {
    const int row = signedHeight > 0 ? picture.height - 1 - y : y;
    const auto* source =
        reinterpret_cast<const unsigned char*>(bmp.data() + offset + std::size_t(row) * stride);
    std::uint8_t* target = &picture.pixels[std::size_t(y) * std::size_t(width)];
    for (int x = 0; x < width; ++x, source += bytesPerPixel)
      // Rec. 601 luma in fixed point: 0.114 B + 0.587 G + 0.299 R.
      target[x] = std::uint8_t(
          (source[0] * 7471u + source[1] * 38470u + source[2] * 19595u + 32768u) >> 16);
  }
  return out;
}

}  // namespace

DecodedPicture decodePicture(std::string_view fileBytes) {
  const std::optional<PictureSize> size = pictureSizeOf(fileBytes);
  if (!size) return failed(PictureError::kUndecodable);
  if (size->width < kMinPictureSide || size->height < kMinPictureSide)
    return failed(size->width && size->height ? PictureError::kTooSmall
                                              : PictureError::kUndecodable);
  if (size->width > kMaxPictureSide || size->height > kMaxPictureSide ||
      size->width * size->height > kMaxPicturePixels)
    return failed(PictureError::kTooLarge);
  const platform::EncodedImage plain =
      platform::encodeImage(fileBytes, platform::ImageFormat::kBmp, true);
  switch (plain.error) {
    case platform::ImageCodecError::kNone:
      return readPlainBmp(plain.bytes);
    case platform::ImageCodecError::kTooLarge:
      return failed(PictureError::kTooLarge);
    default:
      return failed(PictureError::kUndecodable);
  }
}

}  // namespace recognition
