// The screenshot overlay on two monitors: a larger 150% one left of and above the primary. The
// overlay covers both from the virtual screen's corner, the magnifier reads across their border
// and stays on the monitor under the cursor, a cut spanning both is at device pixels, and a
// marked area comes back in screen coordinates (negative on the left monitor).
#include <gtest/gtest.h>

#include "answer_form_fixture.h"
#include "app/controllers/screenshot_overlay.h"
#include "ui/headless/bitmap.h"
#include "ui/system.h"

namespace answertest {
namespace {

using ui::headless::Bitmap;

// The left monitor spans board x 0..599, y 0..449; the primary x 600..999, y 100..399.
const std::vector<ui::Monitor> kMonitors = {
    {{0, 0, 400, 300}, 96, true},
    {{-600, -100, 600, 450}, 144, false},
};
constexpr int kBoardW = 1000, kBoardH = 450;

std::uint32_t pattern(int x, int y) {
  return std::uint32_t(x * 0x010203 + y * 0x030100) & 0xFFFFFF;
}

class OverlayMonitorsTest : public AnswerFormTest {
 protected:
  OverlayMonitorsTest() {
    backend.setMonitors(kMonitors);
    Bitmap screen(kBoardW, kBoardH);
    for (int y = 0; y < kBoardH; ++y)
      for (int x = 0; x < kBoardW; ++x) screen.setPixel(x, y, pattern(x, y));
    backend.setScreenSnapshot(screen.toBmp());
  }
  app::ScreenshotForm& openOverlay() {
    return ui::load<app::ScreenshotForm>([this](app::ScreenshotForm& f) {
      app::attachScreenshotOverlay(f, [this](std::string bmp) { cuts.push_back(std::move(bmp)); });
    });
  }
  std::vector<std::string> cuts;
};

TEST_F(OverlayMonitorsTest, TheOverlayCoversEveryMonitorAndKeepsItsHelpersOnThePrimary) {
  EXPECT_EQ(ui::virtualScreen(), (ui::Rect{-600, -100, kBoardW, kBoardH}));
  EXPECT_EQ(ui::screenSize(), (ui::Size{400, 300}));
  auto& overlay = openOverlay();
  EXPECT_EQ(overlay.bounds(), (ui::Rect{-600, -100, kBoardW, kBoardH}));
  EXPECT_EQ(overlay.画板1.bounds(), (ui::Rect{0, 0, kBoardW, kBoardH}));
  EXPECT_EQ(overlay.标签_提示.bounds().left, 600 + (400 - 600) / 2);
  EXPECT_EQ(overlay.标签_提示.bounds().top, 100 + 96);
  EXPECT_EQ(overlay.画板3.bounds(), (ui::Rect{600, 400 - 21, 21, 21}));
  backend.mouseMove(overlay.画板1, {700, 200});  // shows the scratch board
  backend.mouseMove(overlay.画板3, {1, 1});
  EXPECT_EQ(overlay.画板3.bounds().left, 1000 - 21);
  backend.mouseMove(overlay.画板3, {1, 1});
  EXPECT_EQ(overlay.画板3.bounds().left, 600);
}

TEST_F(OverlayMonitorsTest, TheMagnifierReadsAcrossTheBorderAndStaysOnTheMonitorUnderTheCursor) {
  auto& overlay = openOverlay();
  backend.mouseMove(overlay.画板1, {600, 150});  // the primary's first column
  auto magnified = Bitmap::fromBmp(overlay.图片框1.picture());
  ASSERT_TRUE(magnified);
  EXPECT_EQ(magnified->pixel(9, 9), pattern(599, 149)) << "the left monitor's last column";
  EXPECT_EQ(magnified->pixel(11, 9), pattern(601, 149));
  // Flipped to the cursor's right: on its left it would sit on the other monitor.
  EXPECT_EQ(overlay.图片框1.bounds(), (ui::Rect{630, 180, 100, 100}));

  backend.mouseMove(overlay.画板1, {20, 20});  // the left monitor's corner, above the primary
  EXPECT_EQ(overlay.图片框1.bounds(), (ui::Rect{50, 50, 100, 100}));
  backend.mouseMove(overlay.画板1, {590, 440});  // its bottom-right corner
  EXPECT_EQ(overlay.图片框1.bounds(), (ui::Rect{460, 310, 100, 100}));
}

TEST_F(OverlayMonitorsTest, ACutAcrossTheBorderIsAtDevicePixels) {
  auto& overlay = openOverlay();
  backend.mouseDown(overlay.画板1, {700, 200});
  backend.mouseMove(overlay.画板1, {500, 50});
  backend.mouseUp(overlay.画板1, {500, 50});
  ASSERT_EQ(cuts.size(), 1u);
  auto cut = Bitmap::fromBmp(cuts[0]);
  ASSERT_TRUE(cut);
  ASSERT_EQ(cut->width(), 200);
  ASSERT_EQ(cut->height(), 150);
  for (int y = 0; y < 150; y += 7)
    for (int x = 0; x < 200; x += 7) ASSERT_EQ(cut->pixel(x, y), pattern(500 + x, 50 + y));
}

TEST_F(OverlayMonitorsTest, AMarkedAreaIsInScreenCoordinatesAndItsPixelsAreReadThere) {
  std::optional<ui::Rect> marked;
  auto& overlay = ui::load<app::ScreenshotForm>([&](app::ScreenshotForm& f) {
    app::attachAreaMarking(f, {}, [&](ui::Rect area) { marked = area; });
  });
  backend.mouseDown(overlay.画板1, {500, 50});
  backend.mouseUp(overlay.画板1, {700, 200});
  backend.runPending();
  ASSERT_TRUE(marked);
  EXPECT_EQ(*marked, (ui::Rect{-100, -50, 200, 150}));
  std::vector<std::uint32_t> pixels = ui::screenPixels({-100, -50, 2, 1});
  EXPECT_EQ(pixels, (std::vector<std::uint32_t>{pattern(500, 50), pattern(501, 50)}));
}

}  // namespace
}  // namespace answertest
