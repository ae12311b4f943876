// Region watch in the answer form over the headless toolkit: the area is marked in the
// screenshot overlay, each new question shown there is looked up without any input, an
// unchanged area is not read again, and the sampling ends with 开始, with the form, and at exit.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "answer_form_fixture.h"
#include "app/controllers/capture_controller.h"
#include "app/controllers/screenshot_overlay.h"
#include "ui/headless/bitmap.h"

namespace answertest {
namespace {

using ui::headless::Bitmap;

constexpr int kScreenW = 400, kScreenH = 300;
constexpr ui::Rect kArea{100, 60, 80, 20};
const Pairs kPairs = {{"中国的首都是哪里？", "北京"}, {"日本的首都是哪里？", "东京"}};

// The quiz window's question, told apart by the colour of the area; the fake engine reads it
// from the picture it is given.
const std::map<std::uint32_t, std::string> kShownText = {
    {0x101010, "中国的首都是哪里？"},
    {0x202080, "日本的首都是哪里？"},
    {0xE0E040, "日本的首都是哪里？"},  // same text, another look
};

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct WatchRecognition final : app::ScreenshotRecognition {
  void fetchToken(ui::FormHandle, std::function<void(bool)> done) override { done(true); }
  void openSettings() override {}
  void recognize(ui::FormHandle, std::string) override {}
  app::AreaReader areaReader() override {
    return [reads = reads, sizes = sizes](const std::string& bmp) {
      capture::Recognition read;
      auto picture = Bitmap::fromBmp(bmp);
      ++*reads;
      if (!picture) return read;
      sizes->store(picture->width() * 1000 + picture->height());
      auto text = kShownText.find(picture->pixel(picture->width() / 2, picture->height() / 2));
      read.outcome = capture::RecognitionOutcome::kNoText;
      if (text != kShownText.end()) {
        read.outcome = capture::RecognitionOutcome::kRecognized;
        read.text = gbk(text->second);
      }
      return read;
    };
  }
  std::shared_ptr<std::atomic<int>> reads = std::make_shared<std::atomic<int>>(0);
  std::shared_ptr<std::atomic<int>> sizes = std::make_shared<std::atomic<int>>(0);
};

class RegionWatchFlowTest : public AnswerFormTest {
 protected:
  RegionWatchFlowTest() {
    backend.setScreenSize({kScreenW, kScreenH});
    show(0xFFFFFF);
    controller.setWatchTuning({.settleMs = 10, .idleIntervalMs = 20});
  }
  ~RegionWatchFlowTest() override { ui::uninstall(); }

  void openWatchForm() {
    makeBank(kPairs);
    ASSERT_TRUE(database.openDatabase(path));
    form = &ui::load<app::AnswerForm>([this](app::AnswerForm& f) {
      session = app::SearchSession::attach(f, {shared, worker, [this] { return path; }});
      controller.wireAnswerForm(f);
      f.onCreated = [this] { session->loadRecordCount(); };
      f.onDestroying = [this] { controller.releaseAnswerForm(); };
    });
    backend.click(form->单选框_区域监视);
  }
  // The quiz shows a question: the area takes its colour.
  void show(std::uint32_t colour) {
    Bitmap screen(kScreenW, kScreenH, 0xFFFFFF);
    for (int y = kArea.top; y < kArea.top + kArea.height; ++y)
      for (int x = kArea.left; x < kArea.left + kArea.width; ++x) screen.setPixel(x, y, colour);
    backend.setScreenSnapshot(screen.toBmp());
  }
  void startMarking(std::function<void(app::ScreenshotForm&)> script) {
    backend.onModal([script](ui::Form& modal) { script(dynamic_cast<app::ScreenshotForm&>(modal)); });
    backend.click(form->按钮_开始);
  }
  void markArea() {
    startMarking([this](app::ScreenshotForm& o) {
      backend.mouseDown(o.画板1, {kArea.left, kArea.top});
      backend.mouseUp(o.画板1, {kArea.left + kArea.width, kArea.top + kArea.height});
    });
  }
  ::testing::AssertionResult waitForQuestion(const std::string& utf8) {
    if (backend.runUntil([&] {
          settleOnce();
          return question() == utf8;
        }))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << reads() << " reads, keyword \""
                                         << cp936::toUtf8(form->编辑框1.content()) << "\"";
  }
  void settleOnce() {
    backend.runPending();
    if (!worker.idle()) return;
    backend.runPending();
  }
  // Reads of the screen stop growing: at most one under way when the run stopped.
  bool samplingStopped() {
    pause(30);
    const int before = backend.screenPixelReads();
    pause(100);
    return backend.screenPixelReads() == before;
  }
  std::string caption() { return cp936::toUtf8(form->按钮_开始.caption()); }
  int reads() { return *recognition.reads; }

  WatchRecognition recognition;
  app::CaptureController controller{recognition};
};

TEST_F(RegionWatchFlowTest, EachNewQuestionInTheMarkedAreaIsLookedUpWithoutInput) {
  openWatchForm();
  show(0x101010);
  markArea();
  EXPECT_EQ(caption(), "区域监视中");
  EXPECT_FALSE(form->单选框_划屏取词.enabled());
  EXPECT_FALSE(form->单选框_区域监视.enabled());
  EXPECT_EQ(controller.watchedArea(), kArea);
  ASSERT_TRUE(waitForQuestion("中国的首都是哪里？"));
  EXPECT_EQ(answerText(), "北京");
  EXPECT_EQ(*recognition.sizes, kArea.width * 1000 + kArea.height) << "the area, cut exactly";

  pause(150);  // several samples of an unchanged area
  EXPECT_EQ(reads(), 1);

  show(0x202080);
  ASSERT_TRUE(waitForQuestion("日本的首都是哪里？"));
  EXPECT_EQ(answerText(), "东京");
  EXPECT_EQ(reads(), 2);

  // Another picture of the same text is read but not looked up again.
  form->编辑框1.setContent(gbk("typed"));
  show(0xE0E040);
  ASSERT_TRUE(backend.runUntil([&] { return reads() == 3; }));
  pause(50);
  backend.runPending();
  EXPECT_EQ(cp936::toUtf8(form->编辑框1.content()), "typed");
}

TEST_F(RegionWatchFlowTest, StartAgainStopsTheSamplingAndEnterReusesTheArea) {
  openWatchForm();
  markArea();
  ASSERT_TRUE(backend.runUntil([&] { return reads() == 1; }));
  backend.click(form->按钮_开始);
  EXPECT_EQ(caption(), "开 始");
  EXPECT_TRUE(form->单选框_区域监视.enabled());
  EXPECT_TRUE(samplingStopped());
  EXPECT_FALSE(bankOpen());

  show(0x101010);
  startMarking([this](app::ScreenshotForm& o) { backend.keyDown(o, ui::key::kReturn); });
  EXPECT_EQ(caption(), "区域监视中");
  EXPECT_EQ(backend.abandonedModals(), 0);
  ASSERT_TRUE(waitForQuestion("中国的首都是哪里？"));

  // Leaving the form ends the run as well.
  backend.closeBox(*form);
  EXPECT_TRUE(samplingStopped());
}

TEST_F(RegionWatchFlowTest, EscWithoutAnAreaLeavesTheModeOff) {
  openWatchForm();
  startMarking([this](app::ScreenshotForm& o) { backend.keyDown(o, ui::key::kReturn); });
  EXPECT_EQ(caption(), "开 始") << "Enter with nothing marked before does nothing";
  EXPECT_EQ(backend.abandonedModals(), 1);
  startMarking([this](app::ScreenshotForm& o) { backend.keyDown(o, ui::key::kEscape); });
  EXPECT_EQ(caption(), "开 始");
  EXPECT_TRUE(form->单选框_截屏取词.enabled());
  pause(50);
  EXPECT_EQ(backend.screenPixelReads(), 0);
}

TEST_F(RegionWatchFlowTest, TheProgramEndingStopsTheSampling) {
  openWatchForm();
  markArea();
  ASSERT_TRUE(backend.runUntil([&] { return reads() == 1; }));
  ui::uninstall();
  EXPECT_TRUE(samplingStopped());
}

}  // namespace
}  // namespace answertest
