// TranscodeImage: re-encodes a picture held in memory by format index, optionally saving it to
// a file; the OCR client turns each screenshot BMP into JPEG with it.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace capture {

// The format indexes: 1 BMP, 2 JPEG, 3 GIF, 4 TIFF, 5 PNG.
inline constexpr int kBmpFormat = 1;
inline constexpr int kJpegFormat = 2;
inline constexpr int kGifFormat = 3;
inline constexpr int kTiffFormat = 4;
inline constexpr int kPngFormat = 5;

// True when encoded bytes were produced. A source of fewer than 3 bytes, an index outside
// 1-5, a picture that cannot be read or encoded, and a named file that cannot be written give
// false with `output` untouched. A file name not blank is saved to, with the format's
// extension (".bmp", ".jpg", ".gif", ".tiff", ".png") appended unless the name already ends in
// it in any letter case. `output` is assigned last, so it may be the source's own string.
bool TranscodeImage(std::string_view source, int formatIndex,
                    const std::filesystem::path& file = {}, std::string* output = nullptr,
                    bool whiteBackground = false);

}  // namespace capture
