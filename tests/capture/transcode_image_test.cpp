// TranscodeImage's own rules over the codec: the short-source guard, the index, the file name
// and its extension, and the output that may be the source itself.
#include "capture/transcode_image.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../platform/bmp_image.h"
#include "../platform/fresh_folder.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

std::string screenshotBmp() { return bmp::write(bmp::solid(3, 2, {10, 120, 230, 255})); }

TEST(TranscodeImage, RefusesWhatItCannotEncodeAndKeepsTheOutput) {
  std::string output = "previous";
  EXPECT_FALSE(capture::TranscodeImage("BM", capture::kJpegFormat, {}, &output));
  EXPECT_FALSE(capture::TranscodeImage(screenshotBmp(), 0, {}, &output));
  EXPECT_FALSE(capture::TranscodeImage(screenshotBmp(), 6, {}, &output));
  EXPECT_FALSE(capture::TranscodeImage(std::string(100, 'x'), capture::kJpegFormat, {}, &output));
  EXPECT_EQ(output, "previous");
}

TEST(TranscodeImage, SourceAndOutputMayBeOneString) {
  std::string image = screenshotBmp();
  ASSERT_TRUE(capture::TranscodeImage(image, capture::kJpegFormat, {}, &image));
  EXPECT_TRUE(image.starts_with("\xFF\xD8\xFF"));
  EXPECT_TRUE(image.ends_with("\xFF\xD9"));
  EXPECT_TRUE(capture::TranscodeImage(image, capture::kPngFormat));  // no output wanted
}

TEST(TranscodeImage, SavesWithTheFormatsExtensionUnlessTheNameHasIt) {
  const fs::path dir = freshFolder("transcode");
  std::string output;
  ASSERT_TRUE(
      capture::TranscodeImage(screenshotBmp(), capture::kJpegFormat, dir / u8"截图", &output));
  EXPECT_EQ(platform::readFile(dir / u8"截图.jpg"), output);

  ASSERT_TRUE(capture::TranscodeImage(screenshotBmp(), capture::kJpegFormat, dir / "SHOT.JpG"));
  EXPECT_TRUE(fs::exists(dir / "SHOT.JpG"));
  EXPECT_FALSE(fs::exists(dir / "SHOT.JpG.jpg"));

  // Only the exact extension counts: ".jpeg" is not ".jpg", ".tif" is not ".tiff".
  ASSERT_TRUE(capture::TranscodeImage(screenshotBmp(), capture::kJpegFormat, dir / "a.jpeg"));
  EXPECT_TRUE(fs::exists(dir / "a.jpeg.jpg"));
  ASSERT_TRUE(capture::TranscodeImage(screenshotBmp(), capture::kBmpFormat, dir / "b.BMP"));
  EXPECT_TRUE(bmp::read(platform::readFile(dir / "b.BMP").value_or("")));

  // A name of spaces saves nothing.
  const auto before = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
  EXPECT_TRUE(capture::TranscodeImage(screenshotBmp(), capture::kPngFormat, "   "));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), before);
}

TEST(TranscodeImage, AFileThatCannotBeWrittenIsAFailure) {
  const fs::path dir = freshFolder("transcode-blocked");
  fs::create_directory(dir / "taken.png");  // a folder holds the name
  std::string output = "previous";
  EXPECT_FALSE(
      capture::TranscodeImage(screenshotBmp(), capture::kPngFormat, dir / "taken.png", &output));
  EXPECT_EQ(output, "previous");
}

}  // namespace
