// Re-encoding a picture held in memory: decode whatever the system can read and encode it as
// BMP, JPEG, GIF, TIFF or PNG, each encoder with its defaults. GDI+ on Windows; natively stb,
// which reads BMP, GIF and PNG and writes BMP and PNG, with libjpeg-turbo reading and writing
// JPEG.
#pragma once
#include <string>
#include <string_view>

namespace platform {

enum class ImageFormat { kBmp, kJpeg, kGif, kTiff, kPng };

enum class ImageCodecError {
  kNone,
  kUndecodable,        // not a picture this build can read (or a damaged one)
  kTooLarge,           // more pixels than the program will hold in memory
  kUnsupportedFormat,  // no encoder for that format in this build
  kEncodeFailed,
};

struct EncodedImage {
  ImageCodecError error = ImageCodecError::kNone;
  std::string bytes;
};

// whiteBackground composites transparent and translucent pixels onto opaque white first.
// Any thread.
EncodedImage encodeImage(std::string_view source, ImageFormat format, bool whiteBackground);

}  // namespace platform
