#include "capture/transcode_image.h"

#include <algorithm>
#include <array>
#include <optional>

#include "platform/files.h"
#include "platform/image_codec.h"

namespace capture {
namespace {

struct FormatEntry {
  platform::ImageFormat format;
  std::string_view extension;
};

constexpr std::array<FormatEntry, 5> kFormats = {{{platform::ImageFormat::kBmp, ".bmp"},
                                                  {platform::ImageFormat::kJpeg, ".jpg"},
                                                  {platform::ImageFormat::kGif, ".gif"},
                                                  {platform::ImageFormat::kTiff, ".tiff"},
                                                  {platform::ImageFormat::kPng, ".png"}}};

template <typename Char>
Char lowerAscii(Char c) {
  return c >= 'A' && c <= 'Z' ? Char(c - 'A' + 'a') : c;
}

// The name as given, or with the extension appended when its last characters differ from it.
std::filesystem::path withExtension(const std::filesystem::path& file, std::string_view ext) {
  const auto& name = file.native();
  bool ends = name.size() >= ext.size() &&
              std::equal(ext.begin(), ext.end(), name.end() - std::ptrdiff_t(ext.size()),
                         [](char e, auto c) { return lowerAscii(c) == decltype(c)(e); });
  if (ends) return file;
  auto named = file;
  named += std::string(ext);
  return named;
}

bool isBlank(const std::filesystem::path& file) {
  const auto& name = file.native();
  return std::all_of(name.begin(), name.end(), [](auto c) { return c == ' '; });
}

}  // namespace

bool TranscodeImage(std::string_view source, int formatIndex, const std::filesystem::path& file,
                    std::string* output, bool whiteBackground) {
  if (source.size() < 3 || formatIndex < 1 || formatIndex > int(kFormats.size())) return false;
  const FormatEntry& entry = kFormats[std::size_t(formatIndex - 1)];
  auto encoded = platform::encodeImage(source, entry.format, whiteBackground);
  if (encoded.error != platform::ImageCodecError::kNone) return false;
  if (!isBlank(file) &&
      !platform::writeFileAtomic(withExtension(file, entry.extension), encoded.bytes))
    return false;
  if (output) *output = std::move(encoded.bytes);
  return true;
}

}  // namespace capture
