#include "app/controllers/capture_controller.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>
#include <utility>

#include "app/controllers/capture_texts.h"
#include "app/controllers/screenshot_overlay.h"
#include "app/controllers/search_session.h"
#include "capture/capture_modes.h"
#include "capture/drag_detector.h"
#include "capture/hotkey_registry.h"
#include "ui/system.h"

namespace app {
namespace {

constexpr int kLetterC = 0x43;

void pause(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Waits until the clipboard holds something newer than `before`, at most `limitMs`: the
// program that answers Ctrl+C fills it in its own time.
void waitForClipboardChange(std::uint32_t before, int limitMs) {
  constexpr int kPollMs = 5;
  for (int waited = 0; waited < limitMs; waited += kPollMs) {
    if (ui::clipboardSequence() != before) return;
    pause(kPollMs);
  }
}

// The copy keys as a person presses them, released in the order they went down.
void pressCopyKeys() {
  ui::pressKey(ui::key::kControl, true);
  ui::pressKey(kLetterC, true);
  ui::pressKey(ui::key::kControl, false);
  ui::pressKey(kLetterC, false);
}

// The answer form behind a handle, on the user-interface thread; null once it is gone.
AnswerForm* answerForm(ui::FormHandle handle) {
  return dynamic_cast<AnswerForm*>(ui::findForm(handle));
}

// A copy's text lands in the keyword box, replacing what was there; with 自动搜索 it is
// searched. A copy that brought no text searches nothing.
void showCopiedText(AnswerForm& form, const std::string& text) {
  form.编辑框1.setContent(text);
  if (text.empty() || !form.选择框_自动搜索.checked()) return;
  if (auto session = SearchSession::of(form.handle())) session->search();
}

}  // namespace

// The capture state of one answer form: the modes, its hotkey list and the mouse hook.
class CaptureController::AnswerCapture final : public capture::CaptureDesk,
                                               public capture::HotkeyTarget,
                                               public std::enable_shared_from_this<AnswerCapture> {
 public:
  AnswerCapture(CaptureController& owner, AnswerForm& form)
      : owner_(owner), form_(form), handle_(form.handle()) {}

  void attach();
  void release() { modes_.release(); }

  // capture::CaptureDesk
  capture::CaptureMode chosenMode() const override {
    if (form_.单选框_划屏取词.checked()) return capture::CaptureMode::kDragSelect;
    if (form_.单选框_区域监视.checked()) return capture::CaptureMode::kRegionWatch;
    return capture::CaptureMode::kScreenshot;
  }
  void showCaption(capture::StartCaption caption) override {
    form_.按钮_开始.setCaption(gbk(capture_texts::startCaption(caption)));
  }
  void enableModeChoice(bool enabled) override {
    form_.单选框_划屏取词.setEnabled(enabled);
    form_.单选框_截屏取词.setEnabled(enabled);
    form_.单选框_区域监视.setEnabled(enabled);
  }
  void closeBank() override {
    if (auto session = SearchSession::of(handle_)) session->closeBank();
  }
  void installMouseHook() override;
  void removeMouseHook() override {
    if (hook_) ui::removeMouseHook(hook_);
    hook_ = 0;
  }
  void prepareRecognition() override;
  bool addHotkey(const capture::ScreenshotHotkey& hotkey) override {
    return hotkeys_.AddHotkey(
        hotkey.modifiers, hotkey.virtualKey,
        [weak = weak_from_this()] {
          if (auto self = weak.lock()) self->OpenScreenshotOverlay();
        },
        hotkey.id);
  }
  void removeAllHotkeys() override { hotkeys_.RemoveAllHotkeys(); }
  void reportHotkeyFailure() override { ui::messageBox(gbk(capture_texts::kHotkeyFailed)); }
  bool startRegionWatch() override;
  void stopRegionWatch() override { watch_.reset(); }

  // capture::HotkeyTarget
  bool registerHotkey(int id, unsigned modifiers, int virtualKey) override {
    return form_.registerHotkey(id, modifiers, virtualKey);
  }
  void unregisterHotkey(int id) override { form_.unregisterHotkey(id); }

 private:
  void MouseHookProc(const ui::MouseHookEvent& event);
  void CopySelectionAndSearch();
  void OpenScreenshotOverlay();
  void selectionFinished(std::string bmp);

  CaptureController& owner_;
  AnswerForm& form_;
  const ui::FormHandle handle_;
  capture::CaptureModes modes_{*this};
  capture::HotkeyRegistry hotkeys_{*this};
  capture::DragDetector drag_;
  ui::MouseHookId hook_ = 0;
  bool overlayOpen_ = false;
  std::unique_ptr<RegionWatchRun> watch_;
};

void CaptureController::AnswerCapture::attach() {
  auto self = shared_from_this();
  form_.按钮_开始.onClick = [self] { self->modes_.StartStopCapture(); };
  // The form hears every hotkey message; the listed ones open the overlay, the others go on
  // to whoever heard them before.
  form_.onHotkey = [weak = weak_from_this(), earlier = form_.onHotkey](int id) {
    auto self = weak.lock();
    if (self && self->hotkeys_.dispatch(id)) return;
    if (earlier) earlier(id);
  };
}

void CaptureController::AnswerCapture::installMouseHook() {
  removeMouseHook();
  hook_ = ui::installMouseHook([weak = weak_from_this()](const ui::MouseHookEvent& event) {
    if (auto self = weak.lock()) self->MouseHookProc(event);
  });
}

// Called for every mouse event of the system: it only notes and compares positions and hands
// a copy to the worker, so that the mouse never waits for it.
void CaptureController::AnswerCapture::MouseHookProc(const ui::MouseHookEvent& event) {
  if (event.action == ui::MouseHookAction::LeftDown) {
    ui::Point at = ui::cursorPosition();
    drag_.buttonDown({at.x, at.y});
  } else if (event.action == ui::MouseHookAction::LeftUp) {
    ui::Point at = ui::cursorPosition();
    bool captureOn = form_.单选框_划屏取词.checked() && modes_.dragCaptureOn();
    if (drag_.buttonUp({at.x, at.y}, captureOn)) CopySelectionAndSearch();
  }
}

void CaptureController::AnswerCapture::CopySelectionAndSearch() {
  owner_.copies_.submit([handle = handle_, timing = owner_.timing_] {
    pause(timing.beforeKeysMs);
    const std::uint32_t before = ui::clipboardSequence();
    pressCopyKeys();
    waitForClipboardChange(before, timing.copyArrivalMs);
    std::string text = ui::clipboardText().value_or(std::string());
    ui::post(handle, [handle, text = std::move(text)] {
      if (AnswerForm* form = answerForm(handle)) showCopiedText(*form, text);
    });
  });
}

void CaptureController::AnswerCapture::prepareRecognition() {
  owner_.recognition_.fetchToken(handle_, [weak = weak_from_this()](bool held) {
    auto self = weak.lock();
    if (!held && self && answerForm(self->handle_)) self->owner_.recognition_.openSettings();
  });
}

void CaptureController::AnswerCapture::OpenScreenshotOverlay() {
  // A second hotkey while the overlay is up would freeze the overlay itself.
  if (overlayOpen_) return;
  auto keepAlive = shared_from_this();
  overlayOpen_ = true;
  app::OpenScreenshotOverlay([weak = weak_from_this()](std::string bmp) {
    if (auto self = weak.lock()) self->selectionFinished(std::move(bmp));
  });
  overlayOpen_ = false;
}

bool CaptureController::AnswerCapture::startRegionWatch() {
  if (overlayOpen_) return false;
  auto keepAlive = shared_from_this();
  overlayOpen_ = true;
  std::optional<ui::Rect> marked;
  MarkScreenArea(owner_.watchedArea_, [&marked](ui::Rect area) { marked = area; });
  overlayOpen_ = false;
  // Esc, a click without a drag, or the form gone meanwhile: nothing to watch.
  if (!marked || marked->width <= 0 || marked->height <= 0 || !answerForm(handle_)) return false;
  owner_.watchedArea_ = *marked;
  watch_ = std::make_unique<RegionWatchRun>(handle_, *marked, owner_.recognition_.areaReader(),
                                            owner_.watchTuning_);
  if (watch_->started()) return true;
  watch_.reset();
  return false;
}

void CaptureController::AnswerCapture::selectionFinished(std::string bmp) {
  owner_.capturedImage_ = bmp;
  form_.图片框2.setPicture(bmp);
  // A selection without area leaves nothing to recognise.
  if (!bmp.empty()) owner_.recognition_.recognize(handle_, std::move(bmp));
}

CaptureController::CaptureController(ScreenshotRecognition& recognition, CopyTiming timing)
    : recognition_(recognition), timing_(timing) {}

CaptureController::~CaptureController() = default;

void CaptureController::wireAnswerForm(AnswerForm& form) {
  if (current_) current_->release();
  current_ = std::make_shared<AnswerCapture>(*this, form);
  current_->attach();
}

void CaptureController::releaseAnswerForm() {
  if (!current_) return;
  current_->release();
  current_.reset();
}

}  // namespace app
