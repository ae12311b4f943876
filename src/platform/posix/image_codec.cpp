#include "platform/image_codec.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#include <turbojpeg.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace platform {
namespace {

// 64 megapixels: an 8K screenshot fits, and the decoded picture stays within 256 MB.
constexpr std::uint64_t kMaxPixels = std::uint64_t(1) << 26;

// GDI+'s JPEG encoder works at quality 75 unless told otherwise; so do cjpeg and libjpeg.
constexpr int kJpegQuality = 75;

using PixelBuffer = std::unique_ptr<unsigned char, void (*)(unsigned char*)>;

// RGBA pixels, 4 bytes each, top row first.
struct Decoded {
  ImageCodecError error = ImageCodecError::kNone;
  int width = 0, height = 0;
  bool alpha = false;
  PixelBuffer pixels{nullptr, [](unsigned char*) {}};
};

Decoded failure(ImageCodecError error) {
  Decoded d;
  d.error = error;
  return d;
}

bool tooLarge(std::int64_t width, std::int64_t height) {
  return std::uint64_t(std::llabs(width)) * std::uint64_t(std::llabs(height)) > kMaxPixels;
}

std::uint32_t little(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i)
    v = v << 8 | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
  return v;
}

// stb reads past the end of a BMP's pixels as black; GDI+ refuses such a file, and so do we.
bool bmpIsCut(std::string_view bytes) {
  if (!bytes.starts_with("BM") || bytes.size() < 30) return false;
  const std::uint32_t offset = little(bytes, 10, 4), header = little(bytes, 14, 4);
  std::int64_t width, height;
  std::uint32_t bits, compression = 0;
  if (header == 12) {  // the old OS/2 header
    width = little(bytes, 18, 2), height = little(bytes, 20, 2), bits = little(bytes, 24, 2);
  } else {
    if (bytes.size() < 34) return false;
    width = std::int32_t(little(bytes, 18, 4)), height = std::int32_t(little(bytes, 22, 4));
    bits = little(bytes, 28, 2), compression = little(bytes, 30, 4);
  }
  const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
  if (!uncompressed || width <= 0 || bits == 0) return false;
  const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
  return std::uint64_t(offset) + stride * std::uint64_t(std::llabs(height)) > bytes.size();
}

// stb trusts a PNG chunk's length and reserves memory for it before reading: a few bytes that
// claim a 2 GB chunk would take that much. A chunk running past the end is damage anyway.
bool pngChunkOverruns(std::string_view bytes) {
  if (!bytes.starts_with("\x89PNG\r\n\x1A\n")) return false;
  for (std::uint64_t at = 8; at + 8 <= bytes.size();) {
    std::uint64_t length = 0;
    for (int i = 0; i < 4; ++i) length = length << 8 | static_cast<unsigned char>(bytes[at + i]);
    if (at + 12 + length > bytes.size()) return true;
    if (bytes.substr(at + 4, 4) == "IEND") return false;
    at += 12 + length;
  }
  return false;
}

// A damaged JPEG (a warning included) is refused rather than shown in part, and so is one with
// an absurd number of progressive scans.
Decoded decodeJpeg(std::string_view source) {
  std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitDecompress(), tjDestroy);
  if (!handle) return failure(ImageCodecError::kUndecodable);
  const auto* bytes = reinterpret_cast<const unsigned char*>(source.data());
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (tjDecompressHeader3(handle.get(), bytes, static_cast<unsigned long>(source.size()), &width,
                          &height, &subsampling, &colourspace) != 0 ||
      width <= 0 || height <= 0)
    return failure(ImageCodecError::kUndecodable);
  if (tooLarge(width, height)) return failure(ImageCodecError::kTooLarge);
  Decoded d;
  d.width = width, d.height = height;
  d.pixels = PixelBuffer(tjAlloc(width * height * 4), tjFree);
  if (!d.pixels ||
      tjDecompress2(handle.get(), bytes, static_cast<unsigned long>(source.size()), d.pixels.get(),
                    width, 0, height, TJPF_RGBA, TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS) != 0)
    return failure(ImageCodecError::kUndecodable);
  return d;
}

Decoded decodeWithStb(std::string_view source) {
  if (bmpIsCut(source) || pngChunkOverruns(source)) return failure(ImageCodecError::kUndecodable);
  const auto* bytes = reinterpret_cast<const stbi_uc*>(source.data());
  const int length = int(source.size());
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(bytes, length, &width, &height, &channels))
    return failure(ImageCodecError::kUndecodable);
  if (tooLarge(width, height)) return failure(ImageCodecError::kTooLarge);  // BMP: height < 0
  Decoded d;
  d.pixels = PixelBuffer(stbi_load_from_memory(bytes, length, &width, &height, &channels, 4),
                         [](unsigned char* p) { stbi_image_free(p); });
  if (!d.pixels) return failure(ImageCodecError::kUndecodable);
  d.width = width, d.height = height;
  d.alpha = channels == 2 || channels == 4;
  return d;
}

void appendTo(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), std::size_t(size));
}

// Onto opaque white, rounding as a blend of 8-bit channels does.
void flattenOntoWhite(unsigned char* rgba, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i, rgba += 4) {
    unsigned alpha = rgba[3];
    for (int c = 0; c < 3; ++c)
      rgba[c] = (unsigned char)((rgba[c] * alpha + 255 * (255 - alpha) + 127) / 255);
    rgba[3] = 255;
  }
}

// Baseline JFIF with 4:2:0 chroma, as GDI+ and cjpeg write by default. stb's own JPEG writer is
// not used: it shifts negative coefficients left, which C leaves undefined.
bool writeJpeg(const unsigned char* rgba, int width, int height, std::string* out) {
  std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitCompress(), tjDestroy);
  if (!handle) return false;
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int failed = tjCompress2(handle.get(), rgba, width, width * 4, height, TJPF_RGBX, &jpeg,
                                 &size, TJSAMP_420, kJpegQuality, 0);
  const std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(jpeg, tjFree);
  if (failed != 0 || !jpeg) return false;
  out->assign(reinterpret_cast<const char*>(jpeg), size);
  return true;
}

// RGBA to RGB in place; returns the pixels, now 3 bytes each.
unsigned char* dropAlpha(unsigned char* rgba, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i)
    for (int c = 0; c < 3; ++c) rgba[i * 3 + c] = rgba[i * 4 + c];
  return rgba;
}

}  // namespace

EncodedImage encodeImage(std::string_view source, ImageFormat format, bool whiteBackground) {
  if (format == ImageFormat::kGif || format == ImageFormat::kTiff)
    return {ImageCodecError::kUnsupportedFormat, {}};
  if (source.empty() || source.size() > std::size_t(INT_MAX))
    return {ImageCodecError::kUndecodable, {}};
  Decoded picture = source.starts_with("\xFF\xD8") ? decodeJpeg(source) : decodeWithStb(source);
  if (picture.error != ImageCodecError::kNone) return {picture.error, {}};

  const std::size_t count = std::size_t(picture.width) * std::size_t(picture.height);
  if (picture.alpha && whiteBackground) {
    flattenOntoWhite(picture.pixels.get(), count);
    picture.alpha = false;
  }
  const int width = picture.width, height = picture.height;
  EncodedImage out;
  if (format == ImageFormat::kJpeg) {
    // JPEG has no alpha: the colours are kept as they are, as GDI+ does.
    if (!writeJpeg(picture.pixels.get(), width, height, &out.bytes) || out.bytes.empty())
      return {ImageCodecError::kEncodeFailed, {}};
    return out;
  }
  const int components = picture.alpha ? 4 : 3;
  unsigned char* data =
      components == 4 ? picture.pixels.get() : dropAlpha(picture.pixels.get(), count);
  int ok = 0;
  switch (format) {
    case ImageFormat::kBmp:
      ok = stbi_write_bmp_to_func(appendTo, &out.bytes, width, height, components, data);
      break;
    case ImageFormat::kPng:
      ok = stbi_write_png_to_func(appendTo, &out.bytes, width, height, components, data,
                                  width * components);
      break;
    default:
      break;
  }
  if (!ok || out.bytes.empty()) return {ImageCodecError::kEncodeFailed, {}};
  return out;
}

}  // namespace platform
