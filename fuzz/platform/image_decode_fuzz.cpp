// Outside bytes through the picture decoders (BMP, GIF, JPEG, PNG), as a screenshot or a
// picture file reaches them, then out as a BMP.
#include <stb/stb_image.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/image_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Huge pictures are valid and only slow; the codec's own limit is tested elsewhere.
  int width = 0, height = 0, channels = 0;
  if (size <= 0x7FFFFFFF && stbi_info_from_memory(data, int(size), &width, &height, &channels) &&
      std::int64_t(width) * height > (std::int64_t(1) << 22))
    return 0;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto out = platform::encodeImage(bytes, platform::ImageFormat::kBmp, size % 2 == 1);
  if (out.error == platform::ImageCodecError::kNone && !out.bytes.starts_with("BM"))
    __builtin_trap();
  return 0;
}
