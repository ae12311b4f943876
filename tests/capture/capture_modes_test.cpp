// The start button's states and every move between them, over a desk that keeps what a form
// would show and what the system would hold.
#include "capture/capture_modes.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using capture::CaptureMode;
using capture::StartCaption;

struct FakeDesk final : capture::CaptureDesk {
  CaptureMode chosenMode() const override { return mode; }
  void showCaption(StartCaption c) override { caption = c; }
  void enableModeChoice(bool enabled) override { choiceEnabled = enabled; }
  void closeBank() override { ++bankClosings; }
  void installMouseHook() override { hook = true; }
  void removeMouseHook() override { hook = false; }
  void prepareRecognition() override { ++recognitionsPrepared; }
  bool addHotkey(const capture::ScreenshotHotkey& h) override {
    if (heldElsewhere.count(h.virtualKey)) return false;
    hotkeys.insert(h.id);
    return true;
  }
  void removeAllHotkeys() override { hotkeys.clear(); }
  void reportHotkeyFailure() override { ++failuresReported; }

  CaptureMode mode = CaptureMode::kDragSelect;
  StartCaption caption = StartCaption::kStart;
  bool choiceEnabled = true;
  bool hook = false;
  int bankClosings = 0;
  int recognitionsPrepared = 0;
  int failuresReported = 0;
  std::set<int> hotkeys;
  std::set<int> heldElsewhere;  // keys another program holds
};

class CaptureModesTest : public ::testing::Test {
 protected:
  void expectOff() {
    EXPECT_EQ(desk.caption, StartCaption::kStart);
    EXPECT_FALSE(modes.on());
    EXPECT_TRUE(desk.choiceEnabled);
    EXPECT_FALSE(desk.hook);
    EXPECT_TRUE(desk.hotkeys.empty());
    EXPECT_FALSE(modes.dragCaptureOn());
  }
  FakeDesk desk;
  capture::CaptureModes modes{desk};
};

TEST_F(CaptureModesTest, DragSelectHooksTheMouseUntilStoppedAndStoppingClosesTheBank) {
  modes.StartStopCapture();
  EXPECT_EQ(desk.caption, StartCaption::kDragSelecting);
  EXPECT_FALSE(desk.choiceEnabled);
  EXPECT_TRUE(desk.hook);
  EXPECT_TRUE(modes.dragCaptureOn());
  EXPECT_TRUE(desk.hotkeys.empty());
  EXPECT_EQ(desk.recognitionsPrepared, 0);

  modes.StartStopCapture();
  expectOff();
  EXPECT_EQ(desk.bankClosings, 1);
}

TEST_F(CaptureModesTest, ScreenshotTakesF4ElseAltAAndStopsWithNoHotkeyLeft) {
  desk.mode = CaptureMode::kScreenshot;
  modes.StartStopCapture();
  EXPECT_EQ(desk.caption, StartCaption::kScreenshotF4);
  EXPECT_EQ(desk.hotkeys, std::set<int>{1});
  EXPECT_FALSE(desk.hook);
  EXPECT_FALSE(modes.dragCaptureOn());
  EXPECT_EQ(desk.recognitionsPrepared, 1);
  modes.StartStopCapture();
  expectOff();

  desk.heldElsewhere = {capture::kF4Key};
  modes.StartStopCapture();
  EXPECT_EQ(desk.caption, StartCaption::kScreenshotAltA);
  EXPECT_EQ(desk.hotkeys, std::set<int>{2});
  modes.StartStopCapture();
  expectOff();
  EXPECT_EQ(desk.bankClosings, 2);
}

TEST_F(CaptureModesTest, WithNeitherKeyTheButtonStaysOffAndLockedAndTriesAgainWhenPressed) {
  desk.mode = CaptureMode::kScreenshot;
  desk.heldElsewhere = {capture::kF4Key, capture::kLetterAKey};
  modes.StartStopCapture();
  EXPECT_EQ(desk.failuresReported, 1);
  EXPECT_EQ(desk.caption, StartCaption::kStart);
  EXPECT_FALSE(desk.choiceEnabled);
  EXPECT_EQ(desk.recognitionsPrepared, 1);

  desk.heldElsewhere = {capture::kF4Key};
  modes.StartStopCapture();  // a start again, not a stop
  EXPECT_EQ(desk.caption, StartCaption::kScreenshotAltA);
  EXPECT_EQ(desk.bankClosings, 0);
}

TEST_F(CaptureModesTest, ReleaseLeavesNoHookAndNoHotkeyWhateverModeWasOn) {
  modes.StartStopCapture();
  modes.release();
  EXPECT_FALSE(desk.hook);
  EXPECT_FALSE(modes.dragCaptureOn());

  FakeDesk screenshotDesk;
  screenshotDesk.mode = CaptureMode::kScreenshot;
  capture::CaptureModes screenshot{screenshotDesk};
  screenshot.StartStopCapture();
  screenshot.release();
  EXPECT_TRUE(screenshotDesk.hotkeys.empty());
}

}  // namespace
