// Region watch's change detection: when a sample counts as changed, when a change has settled,
// and what becomes of each recognition.
#include <gtest/gtest.h>

#include "capture/area_picture.h"
#include "capture/region_watch.h"

namespace capture {
namespace {

using Outcome = RecognitionOutcome;

GreySample flat(std::uint8_t grey, int width = 20, int height = 10) {
  return {width, height, std::vector<std::uint8_t>(std::size_t(width) * height, grey)};
}

// `count` cells moved by `by` grey levels.
GreySample touched(GreySample sample, int count, int by) {
  for (int i = 0; i < count; ++i) sample.cells[std::size_t(i)] = std::uint8_t(sample.cells[i] + by);
  return sample;
}

TEST(RegionWatchTest, ReductionAveragesEachCellSoThinStrokesStillCount) {
  // 3 x 2 pixels in cells of 2: a full cell and a narrow one at the right edge.
  const std::vector<std::uint32_t> pixels = {0xFFFFFF, 0x000000, 0xFFFFFF,
                                             0xFFFFFF, 0xFFFFFF, 0x000000};
  const GreySample sample = reduceToGrey(pixels, 3, 2, 2);
  ASSERT_EQ(sample.width, 2);
  ASSERT_EQ(sample.height, 1);
  EXPECT_EQ(sample.cells[0], 191);  // three white pixels of four
  EXPECT_EQ(sample.cells[1], 127);  // one white of two
  EXPECT_EQ(reduceToGrey({0x00FF00}, 1, 1, 1).cells[0], 149) << "green weighs most";
  EXPECT_TRUE(reduceToGrey({1, 2}, 2, 2, 1).cells.empty()) << "too few pixels";
  EXPECT_TRUE(reduceToGrey({}, 0, 0, 1).cells.empty());

  EXPECT_EQ(cellSideFor(64, 64), 1);
  EXPECT_EQ(cellSideFor(600, 100), 4);
  EXPECT_LE((1920 / cellSideFor(1920, 1080) + 1) * (1080 / cellSideFor(1920, 1080) + 1), 4400);
}

TEST(RegionWatchTest, SmallNoiseIsNoChangeButTextIs) {
  RegionWatch watch;
  const GreySample base = flat(200, 100, 100);  // 10000 cells: 0.5% is 50
  EXPECT_FALSE(watch.differ(base, touched(base, 10000, 24))) << "within tolerance everywhere";
  EXPECT_FALSE(watch.differ(base, touched(base, 49, -100))) << "a caret's worth of cells";
  EXPECT_TRUE(watch.differ(base, touched(base, 50, -100)));
  EXPECT_TRUE(watch.differ(base, touched(base, 50, 25)));
  EXPECT_TRUE(watch.differ(base, flat(200, 100, 99))) << "another size";
  // A tiny area still needs two cells, so a single flickering pixel is ignored.
  const GreySample tiny = flat(200, 4, 4);
  EXPECT_FALSE(watch.differ(tiny, touched(tiny, 1, -100)));
  EXPECT_TRUE(watch.differ(tiny, touched(tiny, 2, -100)));
}

TEST(RegionWatchTest, AChangeIsRecognisedOnceItHasSettled) {
  RegionWatch watch;  // settle 150 ms, idle 250 ms
  const GreySample first = flat(200), second = touched(first, 200, -150);
  EXPECT_FALSE(watch.sampleTaken(first, 0)) << "what is shown at the start needs to settle too";
  EXPECT_EQ(watch.nextSampleDelayMs(), 150);
  EXPECT_FALSE(watch.sampleTaken(first, 100));
  EXPECT_TRUE(watch.sampleTaken(first, 150));
  EXPECT_EQ(watch.nextSampleDelayMs(), 250);
  for (int t = 400; t < 2000; t += 250) EXPECT_FALSE(watch.sampleTaken(first, t)) << t;

  // An animation: a new picture every sample, recognised only once it stops.
  GreySample moving = first;
  for (int t = 2000; t < 3000; t += 150) {
    moving = touched(moving, 200, 30);
    EXPECT_FALSE(watch.sampleTaken(moving, t)) << t;
  }
  EXPECT_TRUE(watch.sampleTaken(moving, 3050));

  // A new question after the animation.
  EXPECT_FALSE(watch.sampleTaken(second, 4000));
  EXPECT_TRUE(watch.sampleTaken(second, 4150));
  EXPECT_FALSE(watch.sampleTaken(second, 4400));
}

TEST(RegionWatchTest, TheSameTextIsLookedUpOnceAndAFailureSaidOnce) {
  RegionWatch watch;
  const std::string a = "question A", b = "question B";
  EXPECT_EQ(watch.recognized(Outcome::kRecognized, a, 0), WatchVerdict::kLookUp);
  EXPECT_EQ(watch.recognized(Outcome::kRecognized, a, 0), WatchVerdict::kSameText);
  EXPECT_EQ(watch.recognized(Outcome::kRecognized, b, 0), WatchVerdict::kLookUp);
  // A blank between two showings of one question: the second is looked up again.
  EXPECT_EQ(watch.recognized(Outcome::kNoText, "", 0), WatchVerdict::kNoText);
  EXPECT_EQ(watch.recognized(Outcome::kRecognized, b, 0), WatchVerdict::kLookUp);

  EXPECT_EQ(watch.recognized(Outcome::kServiceUnreachable, "", 0), WatchVerdict::kShowNotice);
  EXPECT_EQ(watch.recognized(Outcome::kServiceUnreachable, "", 0), WatchVerdict::kQuietFailure);
  EXPECT_EQ(watch.recognized(Outcome::kTokenRejected, "", 0), WatchVerdict::kQuietFailure);
  EXPECT_EQ(watch.recognized(Outcome::kRecognized, b, 0), WatchVerdict::kSameText);
  EXPECT_EQ(watch.recognized(Outcome::kServiceError, "", 0), WatchVerdict::kShowNotice)
      << "a new run of failures is said again";
}

TEST(RegionWatchTest, AFailedAreaIsTriedAgainLaterNotAtEverySample) {
  RegionWatch watch;  // retry after 2000 ms
  const GreySample shown = flat(90);
  watch.sampleTaken(shown, 0);
  ASSERT_TRUE(watch.sampleTaken(shown, 150));
  EXPECT_EQ(watch.recognized(Outcome::kServiceUnreachable, "", 200), WatchVerdict::kShowNotice);
  for (int t = 400; t < 2200; t += 250) EXPECT_FALSE(watch.sampleTaken(shown, t)) << t;
  EXPECT_TRUE(watch.sampleTaken(shown, 2200));
  EXPECT_EQ(watch.recognized(Outcome::kRecognized, "q", 2300), WatchVerdict::kLookUp);
  EXPECT_FALSE(watch.sampleTaken(shown, 2450));
}

TEST(RegionWatchTest, TheAreaPictureIsABottomUpBmpWithPaddedRows) {
  // 2 x 2: red, green / blue, white.
  const std::string bmp = areaBmp({0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 2, 2);
  ASSERT_EQ(bmp.size(), 54u + 2 * 8);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(std::uint8_t(bmp[2]), 70);
  EXPECT_EQ(std::uint8_t(bmp[28]), 24);
  // The first row stored is the bottom one: blue then white, padded to 8 bytes.
  EXPECT_EQ(bmp.substr(54, 8), std::string("\xFF\0\0\xFF\xFF\xFF\0\0", 8));
  EXPECT_EQ(bmp.substr(62, 8), std::string("\0\0\xFF\0\xFF\0\0\0", 8));
  EXPECT_TRUE(areaBmp({1, 2, 3}, 2, 2).empty());
  EXPECT_TRUE(areaBmp({}, 0, 5).empty());
}

}  // namespace
}  // namespace capture
