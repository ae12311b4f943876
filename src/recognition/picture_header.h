// A picture file's dimensions as its header states them, read without decoding anything, so
// that a small file claiming a huge picture is refused before it costs memory.
#pragma once
#include <optional>
#include <string_view>

namespace recognition {

struct PictureSize {
  long long width = 0, height = 0;
};

// PNG, JPEG, GIF and BMP; nothing for any other file or a header cut short.
std::optional<PictureSize> pictureSizeOf(std::string_view fileBytes);

}  // namespace recognition
