// The answer form's capture modes over the headless toolkit: drags seen by the mouse hook copy
// the selection into the keyword box and search it, the screenshot hotkeys open the overlay,
// whose cut-out of the frozen screen goes to the recognition, and nothing is left hooked or
// registered once capture stops or the form goes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "answer_form_fixture.h"
#include "app/controllers/capture_controller.h"
#include "app/controllers/screenshot_overlay.h"
#include "ui/headless/bitmap.h"

namespace answertest {
namespace {

using ui::MouseHookAction;
using ui::headless::Bitmap;

constexpr int kScreenW = 400, kScreenH = 300;
const Pairs kPairs = {
    {"中国的首都是哪里？", "北京"}, {"日本的首都是哪里？", "东京"}, {"法国的首都是哪里？", "巴黎"}};

constexpr const char* kCopyKeys = "Ctrl+ C+ Ctrl- C- ";

std::uint32_t pattern(int x, int y) {
  return std::uint32_t(x * 0x010203 + y * 0x030100) & 0xFFFFFF;
}

Bitmap patternScreen() {
  Bitmap screen(kScreenW, kScreenH);
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) screen.setPixel(x, y, pattern(x, y));
  return screen;
}

struct FakeRecognition final : app::ScreenshotRecognition {
  void fetchToken(ui::FormHandle, std::function<void(bool)> done) override {
    ++tokenFetches;
    done(tokenHeld);
  }
  void openSettings() override { ++settingsOpened; }
  void recognize(ui::FormHandle form, std::string bmp) override {
    forms.push_back(form);
    images.push_back(std::move(bmp));
  }
  app::AreaReader areaReader() override { return nullptr; }
  bool tokenHeld = true;
  int tokenFetches = 0;
  int settingsOpened = 0;
  std::vector<ui::FormHandle> forms;
  std::vector<std::string> images;
};

class CaptureTest : public AnswerFormTest {
 protected:
  CaptureTest() {
    backend.setScreenSize({kScreenW, kScreenH});
    backend.setScreenSnapshot(patternScreen().toBmp());
    // The window under the mouse answers Ctrl+C by putting its selection on the clipboard.
    backend.onKeyPressed([this](const ui::headless::KeyPress& key) {
      if (key.virtualKey == ui::key::kControl) controlDown = key.down;
      if (key.virtualKey == 'C' && key.down && controlDown) {
        std::lock_guard lock(selectionLock);
        ++copies;
        backend.setClipboardText(selection ? *selection : std::to_string(copies));
      }
    });
  }
  ~CaptureTest() override { ui::uninstall(); }  // the forms go before the controller

  app::AnswerForm& openCaptureForm() {
    makeBank(kPairs);
    EXPECT_TRUE(database.openDatabase(path));
    return loadCaptureForm();
  }
  app::AnswerForm& loadCaptureForm() {
    form = &ui::load<app::AnswerForm>([this](app::AnswerForm& f) {
      session = app::SearchSession::attach(f, {shared, worker, [this] { return path; }});
      controller.wireAnswerForm(f);
      f.onCreated = [this] { session->loadRecordCount(); };
      f.onDestroying = [this] { controller.releaseAnswerForm(); };
    });
    return *form;
  }
  void select(std::optional<std::string> utf8) {
    std::lock_guard lock(selectionLock);
    selection = utf8 ? std::optional(gbk(*utf8)) : std::nullopt;
  }
  void drag(ui::Point from, ui::Point to) {
    backend.mouseHookEvent(MouseHookAction::LeftDown, from);
    backend.mouseHookEvent(MouseHookAction::Move, to);
    backend.mouseHookEvent(MouseHookAction::LeftUp, to);
  }
  void settleCopies() {
    ASSERT_TRUE(backend.runUntil([this] { return controller.copiesIdle(); }));
    backend.runPending();
    settle();
  }
  void startScreenshotMode() {
    backend.click(form->单选框_截屏取词);
    backend.click(form->按钮_开始);
  }
  // The simulated keys so far, as "Ctrl+ C+ Ctrl- C- ...".
  std::string keyTrail() {
    std::string trail;
    for (const auto& k : backend.keyPresses()) {
      trail += (k.virtualKey == ui::key::kControl ? "Ctrl" : std::string(1, char(k.virtualKey)));
      trail += k.down ? "+ " : "- ";
    }
    return trail;
  }
  std::string keyword() { return cp936::toUtf8(form->编辑框1.content()); }
  std::string startCaption() { return cp936::toUtf8(form->按钮_开始.caption()); }
  bool choiceEnabled() {
    return form->单选框_划屏取词.enabled() && form->单选框_截屏取词.enabled();
  }

  FakeRecognition recognition;
  app::CaptureController controller{recognition, {1, 500}};
  std::mutex selectionLock;
  std::optional<std::string> selection;
  std::atomic<bool> controlDown{false};
  int copies = 0;
};

TEST_F(CaptureTest, ADragCopiesTheSelectionIntoTheKeywordBoxAndSearchesIt) {
  openCaptureForm();
  backend.click(form->按钮_开始);
  EXPECT_EQ(startCaption(), "划屏取词中");
  EXPECT_FALSE(choiceEnabled());
  EXPECT_EQ(backend.mouseHookCount(), 1);

  select("首都");
  drag({10, 10}, {200, 30});
  settleCopies();
  EXPECT_EQ(keyword(), "首都");
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/3");
  EXPECT_EQ(question(), "中国的首都是哪里？");
  EXPECT_EQ(keyTrail(), kCopyKeys);

  drag({50, 50}, {50, 50});  // a click
  settleCopies();
  EXPECT_EQ(keyTrail(), kCopyKeys);

  backend.click(form->选择框_自动搜索);  // no longer ticked: the box is only filled
  select("日本");
  drag({10, 10}, {90, 10});
  settleCopies();
  EXPECT_EQ(keyword(), "日本");
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/3");

  backend.click(form->选择框_自动搜索);
  select(std::nullopt);
  backend.setClipboardText(std::nullopt);  // a window that copies nothing, an empty clipboard
  backend.onKeyPressed({});
  drag({10, 10}, {90, 10});
  settleCopies();
  EXPECT_EQ(keyword(), "");
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/3") << "nothing to search";
}

TEST_F(CaptureTest, ACopyIsReadWhenItArrivesNotAfterAFixedWait) {
  openCaptureForm();
  backend.click(form->按钮_开始);
  backend.setClipboardText(gbk("上次复制的"));
  // The other program fills the clipboard a while after Ctrl+C, on a thread of its own.
  std::vector<std::thread> slowCopies;
  backend.onKeyPressed([&](const ui::headless::KeyPress& key) {
    if (key.virtualKey != 'C' || !key.down) return;
    slowCopies.emplace_back([this] {
      std::this_thread::sleep_for(std::chrono::milliseconds(120));
      backend.setClipboardText(gbk("首都"));
    });
  });
  drag({10, 10}, {200, 30});
  settleCopies();
  for (auto& copy : slowCopies) copy.join();
  EXPECT_EQ(keyword(), "首都");
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/3");
}

TEST_F(CaptureTest, QuickDragsCopyOneAtATimeAndTheBoxEndsWithTheNewest) {
  openCaptureForm();
  backend.click(form->按钮_开始);
  for (int i = 0; i < 6; ++i) drag({10, 10}, {100 + i, 10});
  settleCopies();
  std::string oneAfterAnother;
  for (int i = 0; i < copies; ++i) oneAfterAnother += kCopyKeys;
  EXPECT_EQ(keyTrail(), oneAfterAnother) << "copies overlapped";
  EXPECT_EQ(keyword(), std::to_string(copies));
}

TEST_F(CaptureTest, StoppingRemovesTheHookAndClosesTheBank) {
  openCaptureForm();
  backend.click(form->按钮_开始);
  backend.click(form->按钮_开始);
  settle();
  EXPECT_EQ(startCaption(), "开 始");
  EXPECT_TRUE(choiceEnabled());
  EXPECT_EQ(backend.mouseHookCount(), 0);
  EXPECT_FALSE(bankOpen());
  drag({10, 10}, {200, 30});
  settleCopies();
  EXPECT_TRUE(backend.keyPresses().empty());

  // The next search opens the bank again.
  searchFor("首都");
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/3");
}

TEST_F(CaptureTest, ScreenshotModeTakesF4ThenAltAAndSaysWhenNeitherCanBeHad) {
  openCaptureForm();
  recognition.tokenHeld = false;
  startScreenshotMode();
  EXPECT_EQ(startCaption(), "截图(F4)");
  EXPECT_EQ(recognition.settingsOpened, 1) << "no token: the settings open";
  ASSERT_EQ(backend.hotkeys().size(), 1u);
  EXPECT_EQ(backend.hotkeys()[0].id, 1);
  EXPECT_EQ(backend.hotkeys()[0].virtualKey, ui::key::kF4);
  backend.click(form->按钮_开始);
  EXPECT_TRUE(backend.hotkeys().empty());
  recognition.tokenHeld = true;
  backend.click(form->按钮_开始);  // id 1 again, without complaint
  EXPECT_EQ(startCaption(), "截图(F4)");
  EXPECT_EQ(recognition.settingsOpened, 1);
  backend.click(form->按钮_开始);

  backend.refuseHotkey(ui::modifier::kNone, ui::key::kF4);
  backend.click(form->按钮_开始);
  EXPECT_EQ(startCaption(), "截图(Alt+A)");
  ASSERT_EQ(backend.hotkeys().size(), 1u);
  EXPECT_EQ(backend.hotkeys()[0].id, 2);
  EXPECT_EQ(backend.hotkeys()[0].modifiers, ui::modifier::kAlt);
  backend.click(form->按钮_开始);

  backend.refuseHotkey(ui::modifier::kAlt, 'A');
  backend.click(form->按钮_开始);
  ASSERT_EQ(backend.messages().size(), 1u);
  EXPECT_EQ(cp936::toUtf8(backend.messages()[0].text), "快捷键注册失败");
  EXPECT_EQ(cp936::toUtf8(backend.messages()[0].caption), "信息：");
  EXPECT_EQ(startCaption(), "开 始");
  EXPECT_TRUE(choiceEnabled());
  backend.click(form->按钮_开始);  // tries the keys again rather than stopping
  EXPECT_EQ(backend.messages().size(), 2u);
  EXPECT_TRUE(choiceEnabled());

  // Back to dragging, with the form still open.
  backend.click(form->单选框_划屏取词);
  ASSERT_TRUE(form->单选框_划屏取词.checked());
  backend.click(form->按钮_开始);
  EXPECT_EQ(startCaption(), "划屏取词中");
  EXPECT_EQ(backend.mouseHookCount(), 1);
  EXPECT_FALSE(choiceEnabled());
}

TEST_F(CaptureTest, F4CutsTheDraggedRectangleFromTheFrozenScreenForTheRecognition) {
  openCaptureForm();
  startScreenshotMode();
  int overlaysSeen = 0;
  backend.onModal([&](ui::Form& modal) {
    auto& overlay = dynamic_cast<app::ScreenshotForm&>(modal);
    ++overlaysSeen;
    backend.setScreenSnapshot(Bitmap(kScreenW, kScreenH, 0x00FF00).toBmp());  // the screen moves on
    EXPECT_TRUE(backend.pressHotkey(ui::modifier::kNone, ui::key::kF4));      // no second overlay
    backend.mouseMove(overlay.画板1, {250, 180});
    backend.mouseDown(overlay.画板1, {250, 180});
    backend.mouseMove(overlay.画板1, {120, 90});
    backend.mouseUp(overlay.画板1, {50, 40});
  });
  EXPECT_TRUE(backend.pressHotkey(ui::modifier::kNone, ui::key::kF4));
  backend.runPending();
  EXPECT_EQ(overlaysSeen, 1);
  EXPECT_EQ(ui::find<app::ScreenshotForm>(), nullptr);
  ASSERT_EQ(recognition.images.size(), 1u);
  EXPECT_EQ(recognition.forms[0], form->handle());
  auto cut = Bitmap::fromBmp(recognition.images[0]);
  ASSERT_TRUE(cut);
  ASSERT_EQ(cut->width(), 200);
  ASSERT_EQ(cut->height(), 140);
  for (int y = 0; y < 140; y += 7)
    for (int x = 0; x < 200; x += 7) ASSERT_EQ(cut->pixel(x, y), pattern(50 + x, 40 + y));
  EXPECT_EQ(controller.capturedImage(), recognition.images[0]);
  EXPECT_EQ(form->图片框2.picture(), recognition.images[0]);
}

TEST_F(CaptureTest, EscAndSelectionsWithoutAreaSendNothing) {
  openCaptureForm();
  startScreenshotMode();
  form->图片框2.setPicture("earlier");
  auto press = [&](std::function<void(app::ScreenshotForm&)> act) {
    backend.onModal([act](ui::Form& modal) { act(dynamic_cast<app::ScreenshotForm&>(modal)); });
    backend.pressHotkey(ui::modifier::kNone, ui::key::kF4);
    backend.runPending();
    EXPECT_EQ(backend.abandonedModals(), 0);
  };
  press([&](app::ScreenshotForm& o) {
    backend.mouseDown(o.画板1, {30, 30});
    backend.mouseMove(o.画板1, {90, 90});
    backend.keyDown(o, ui::key::kEscape);
  });
  EXPECT_EQ(form->图片框2.picture(), "earlier");
  // The next opening starts from nothing: a release without a press cuts nothing.
  press([&](app::ScreenshotForm& o) { backend.mouseUp(o.画板1, {120, 120}); });
  press([&](app::ScreenshotForm& o) {
    backend.mouseDown(o.画板1, {60, 60});
    backend.mouseUp(o.画板1, {60, 60});
  });
  EXPECT_TRUE(recognition.images.empty());
  EXPECT_EQ(controller.capturedImage(), "");
  EXPECT_EQ(form->图片框2.picture(), "");
}

TEST_F(CaptureTest, TheOverlayFreezesTheScreenAndItsMagnifierShowsThePixelsUnderTheCursor) {
  auto& overlay = ui::load<app::ScreenshotForm>(
      [](app::ScreenshotForm& f) { app::attachScreenshotOverlay(f, {}); });
  EXPECT_EQ(overlay.bounds(), (ui::Rect{0, 0, kScreenW, kScreenH}));
  EXPECT_EQ(overlay.画板1.picture(), patternScreen().toBmp());
  EXPECT_EQ(overlay.标签_提示.bounds().left, (kScreenW - 600) / 2);
  EXPECT_EQ(overlay.画板3.bounds().top, kScreenH - 21);

  backend.mouseMove(overlay.画板1, {3, 150});
  EXPECT_EQ(overlay.画板1.cursor(), ui::Cursor::Cross);
  ASSERT_TRUE(overlay.图片框1.visible());
  auto magnified = Bitmap::fromBmp(overlay.图片框1.picture());
  ASSERT_TRUE(magnified);
  EXPECT_EQ(magnified->width(), 21);
  EXPECT_EQ(magnified->pixel(9, 9), pattern(2, 149));
  EXPECT_EQ(magnified->pixel(11, 12), pattern(4, 152));
  EXPECT_EQ(magnified->pixel(0, 0), 0xFFFFFFu) << "off the screen: paper";
  EXPECT_NE(magnified->pixel(10, 0), pattern(3, 140)) << "the cross-hair";
  EXPECT_EQ(overlay.图片框1.bounds(), (ui::Rect{33, 20, 100, 100}));

  backend.mouseMove(overlay.标签_提示, {5, 5});
  backend.mouseMove(overlay.画板1, {200, 200});
  EXPECT_FALSE(overlay.标签_提示.visible());
  backend.mouseMove(overlay.画板3, {1, 1});
  EXPECT_EQ(overlay.画板3.bounds().left, kScreenW - 21);
  backend.mouseMove(overlay.画板3, {1, 1});
  EXPECT_EQ(overlay.画板3.bounds().left, 0);

  // Where the big board hears the cursor over the scratch board, as on Windows, it still dodges,
  // and only when the cursor is on it.
  backend.mouseMove(overlay.画板1, {21, kScreenH - 10});
  EXPECT_EQ(overlay.画板3.bounds().left, 0);
  backend.mouseMove(overlay.画板1, {20, kScreenH - 1});
  EXPECT_EQ(overlay.画板3.bounds().left, kScreenW - 21);
  backend.mouseMove(overlay.画板1, {kScreenW - 1, kScreenH - 21});
  EXPECT_EQ(overlay.画板3.bounds().left, 0);
  backend.mouseDown(overlay.画板1, {300, 200});
  backend.mouseMove(overlay.画板1, {5, kScreenH - 5});  // dragging down to that corner
  EXPECT_EQ(overlay.画板3.bounds().left, kScreenW - 21);
}

TEST_F(CaptureTest, TheGoingFormLeavesNoHookAndNoHotkey) {
  openCaptureForm();
  backend.click(form->按钮_开始);
  backend.closeBox(*form);
  EXPECT_EQ(backend.mouseHookCount(), 0);

  loadCaptureForm();
  startScreenshotMode();
  ASSERT_EQ(backend.hotkeys().size(), 1u);
  ui::uninstall();  // the program ends
  EXPECT_TRUE(backend.hotkeys().empty());
}

}  // namespace
}  // namespace answertest
