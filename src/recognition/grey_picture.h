// A picture as the recogniser reads it: one byte of brightness a pixel, rows top first.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace recognition {

struct GreyPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // width * height, 0 black, 255 white

  std::uint8_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

enum class PictureError {
  kNone,
  kUndecodable,  // not a JPEG, PNG, BMP or GIF this build reads, or a damaged one
  kTooLarge,     // more pixels than recognition takes
  kTooSmall,     // a side shorter than text is read from
};

struct DecodedPicture {
  PictureError error = PictureError::kNone;
  GreyPicture picture;
};

// Longest side recognition takes, a little over an 8K screen's width, and at most as many
// pixels as a screen of that width; the shortest side it reads text from.
inline constexpr int kMaxPictureSide = 8192;
inline constexpr long long kMaxPicturePixels = 8192LL * 4608;
inline constexpr int kMinPictureSide = 15;

// Decodes a file image; transparent parts count as white. The size its header states is judged
// first, so a picture out of bounds is never decoded.
DecodedPicture decodePicture(std::string_view fileBytes);

}  // namespace recognition
