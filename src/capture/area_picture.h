// A watched screen area's pixels as the picture the recognition reads.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace capture {

// 24-bit bottom-up BMP file bytes of `pixels` (0x00RRGGBB, rows top to bottom). Empty when
// the pixels do not fill `width` x `height` or the size is not positive.
std::string areaBmp(const std::vector<std::uint32_t>& pixels, int width, int height);

}  // namespace capture
