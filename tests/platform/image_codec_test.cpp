// Re-encoding as each build does it (stb natively, GDI+ under Wine), checked by decoding the
// result again.
#include "platform/image_codec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "bmp_image.h"
#include "platform/files.h"

namespace {

using platform::ImageCodecError;
using platform::ImageFormat;

std::string fixture(const char* name) {
  auto path = std::filesystem::path(QUORVIX_SOURCE_DIR) / "tests/platform/images" / name;
  auto bytes = platform::readFile(path);
  EXPECT_TRUE(bytes) << path;
  return bytes.value_or("");
}

// The picture behind any encoded file, read back through the codec as a BMP.
std::optional<bmp::Picture> decode(std::string_view encoded) {
  auto asBmp = platform::encodeImage(encoded, ImageFormat::kBmp, false);
  if (asBmp.error != ImageCodecError::kNone) return std::nullopt;
  return bmp::read(asBmp.bytes);
}

bool near(bmp::Pixel a, bmp::Pixel b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

// Whether a PNG can hold transparency: an alpha channel in its colour type, or a tRNS chunk.
bool hasAlpha(std::string_view png) {
  if (png.size() < 26) return false;
  const int colourType = static_cast<unsigned char>(png[25]);
  return colourType == 4 || colourType == 6 || png.find("tRNS") != std::string_view::npos;
}

bmp::Picture pattern(int width, int height) {
  bmp::Picture p = bmp::solid(width, height, {});
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p.pixels[std::size_t(y * width + x)] = {std::uint8_t(x * 40), std::uint8_t(y * 60),
                                              std::uint8_t(255 - x * 20), 255};
  return p;
}

TEST(ImageCodec, OnePixelBmpBecomesAValidJpeg) {
  const bmp::Pixel colour{200, 100, 50, 255};
  auto jpeg =
      platform::encodeImage(bmp::write(bmp::solid(1, 1, colour)), ImageFormat::kJpeg, false);
  ASSERT_EQ(jpeg.error, ImageCodecError::kNone);
  EXPECT_TRUE(jpeg.bytes.starts_with("\xFF\xD8\xFF"));
  EXPECT_TRUE(jpeg.bytes.ends_with("\xFF\xD9")) << "the stream's own length, nothing after EOI";
  auto back = decode(jpeg.bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 1);
  EXPECT_EQ(back->height, 1);
  EXPECT_TRUE(near(back->at(0, 0), colour, 8));
}

// Blocks of one colour each, 16 pixels square, so neither chroma subsampling nor the 8 x 8 DCT
// blurs their middles; the left half fully transparent.
bmp::Picture blocks() {
  const bmp::Pixel colours[] = {
      {0, 0, 255, 0}, {255, 0, 0, 255}, {0, 160, 0, 0}, {250, 250, 0, 255}};
  bmp::Picture p = bmp::solid(64, 32, {});
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) p.pixels[std::size_t(y * 64 + x)] = colours[(y / 16) * 2 + x / 32];
  return p;
}

// GDI+ reads a 32-bit BMP as colour alone, so on Windows its alpha never reaches the flattening.
#ifdef _WIN32
constexpr bool kBmpAlphaRead = false;
#else
constexpr bool kBmpAlphaRead = true;
#endif

TEST(ImageCodec, JpegKeepsColoursInPlaceAndIgnoresOrFlattensAlpha) {
  const std::string source = bmp::write(blocks(), 32);
  for (bool white : {false, true}) {
    auto jpeg = platform::encodeImage(source, ImageFormat::kJpeg, white);
    ASSERT_EQ(jpeg.error, ImageCodecError::kNone);
    EXPECT_NE(jpeg.bytes.find("JFIF"), std::string::npos);
    auto back = decode(jpeg.bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->width, 64);
    ASSERT_EQ(back->height, 32);
    const bmp::Picture expected = blocks();
    for (int y : {8, 24})
      for (int x : {16, 48}) {
        bmp::Pixel want = expected.at(x, y);
        if (white && want.a == 0 && kBmpAlphaRead) want = {255, 255, 255};
        EXPECT_TRUE(near(back->at(x, y), want, 12)) << x << "," << y << " white " << white;
      }
  }
}

TEST(ImageCodec, LosslessFormatsKeepEveryPixelInPlace) {
  // An odd width pads the BMP rows; a top-down file must not come out upside down.
  const bmp::Picture picture = pattern(5, 3);
  for (bool topDown : {false, true}) {
    for (int bits : {24, 32}) {
      auto png =
          platform::encodeImage(bmp::write(picture, bits, topDown), ImageFormat::kPng, false);
      ASSERT_EQ(png.error, ImageCodecError::kNone);
      EXPECT_TRUE(png.bytes.starts_with("\x89PNG\r\n\x1A\n"));
      auto back = decode(png.bytes);
      ASSERT_TRUE(back) << bits << " bits, top-down " << topDown;
      EXPECT_EQ(back->width, 5);
      ASSERT_EQ(back->height, 3);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
          EXPECT_TRUE(near(back->at(x, y), picture.at(x, y), 0)) << x << "," << y;
    }
  }
}

TEST(ImageCodec, ReadsGifJpegAndPngPictures) {
  for (const char* name : {"small.gif", "small.jpg", "small.png"}) {
    auto back = decode(fixture(name));
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(back->width, 8) << name;
    EXPECT_EQ(back->height, 6) << name;
  }
}

TEST(ImageCodec, WhiteBackgroundFlattensTransparency) {
  const std::string png = fixture("alpha.png");  // transparent blue, then half-transparent red
  auto flat = platform::encodeImage(png, ImageFormat::kPng, true);
  ASSERT_EQ(flat.error, ImageCodecError::kNone);
  auto picture = decode(flat.bytes);
  ASSERT_TRUE(picture);
  EXPECT_TRUE(near(picture->at(0, 0), {255, 255, 255}, 0));
  EXPECT_TRUE(near(picture->at(1, 0), {255, 128, 128}, 3));
  EXPECT_EQ(picture->at(1, 0).a, 255);

  EXPECT_FALSE(hasAlpha(flat.bytes));
  EXPECT_TRUE(hasAlpha(platform::encodeImage(png, ImageFormat::kPng, false).bytes))
      << "without it, transparency stays";
}

TEST(ImageCodec, DamagedOrForeignBytesAreUndecodable) {
  const std::string png = fixture("small.png");
  const std::vector<std::string> bad = {"",
                                        "BM",
                                        std::string(300, '\x55'),
                                        png.substr(0, png.size() / 2),
                                        "GIF89a",
                                        bmp::write(pattern(4, 4)).substr(0, 60)};
  for (const std::string& bytes : bad)
    EXPECT_EQ(platform::encodeImage(bytes, ImageFormat::kJpeg, false).error,
              ImageCodecError::kUndecodable)
        << bytes.size() << " bytes";
}

#ifdef _WIN32
TEST(ImageCodec, GdiplusAlsoWritesGifAndTiff) {
  const std::string source = bmp::write(pattern(4, 4));
  EXPECT_TRUE(platform::encodeImage(source, ImageFormat::kGif, false).bytes.starts_with("GIF8"));
  auto tiff = platform::encodeImage(source, ImageFormat::kTiff, false).bytes;
  EXPECT_TRUE(tiff.starts_with(std::string("II*\0", 4)) ||
              tiff.starts_with(std::string("MM\0*", 4)));
}
#else
TEST(ImageCodec, NativeBuildNamesWhatItCannotDo) {
  const std::string source = bmp::write(pattern(4, 4));
  EXPECT_EQ(platform::encodeImage(source, ImageFormat::kGif, false).error,
            ImageCodecError::kUnsupportedFormat);
  EXPECT_EQ(platform::encodeImage(source, ImageFormat::kTiff, false).error,
            ImageCodecError::kUnsupportedFormat);
  // A header that claims more pixels than the program holds is refused before decoding.
  std::string huge = fixture("small.png");
  huge.replace(16, 8, std::string("\x00\x00\x27\x10\x00\x00\x27\x10", 8));  // 10000 x 10000
  EXPECT_EQ(platform::encodeImage(huge, ImageFormat::kJpeg, false).error,
            ImageCodecError::kTooLarge);
}
#endif

}  // namespace
