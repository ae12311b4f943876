#include "ui/headless/headless_backend.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "ui/headless/bitmap.h"
#include "ui/keyboard.h"
#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace ui::headless {

HeadlessBackend::HeadlessBackend() = default;
HeadlessBackend::~HeadlessBackend() = default;

HeadlessControlPeer& HeadlessBackend::peerOf(const Control& control) {
  if (!control.peer()) detail::fatal(std::string(control.name()) + " has no window");
  return static_cast<HeadlessControlPeer&>(*control.peer());
}

HeadlessFormPeer& HeadlessBackend::peerOf(const Form& form) {
  if (!form.peer()) detail::fatal(std::string(form.definition().name) + " has no window");
  return static_cast<HeadlessFormPeer&>(*form.peer());
}

// ---- Acting as the user ----
// A user can reach only a control that is visible and enabled.

namespace {

bool reachable(const Control& control) {
  return control.peer() && control.visible() && control.enabled();
}

}  // namespace

void HeadlessBackend::click(Control& control) {
  if (!reachable(control)) return;
  control.focus();  // a mouse click on a button gives it the focus
  if (control.kind() == ControlKind::CheckBox) peerOf(control).toggleChecked();
  if (control.kind() == ControlKind::RadioButton) peerOf(control).setChecked(true);
  control.deliver({EventType::Click, {}});
}

void HeadlessBackend::doubleClick(Control& control) {
  if (!reachable(control)) return;
  control.deliver({EventType::DoubleClick, {}});
}

void HeadlessBackend::select(ComboBox& combo, int index) {
  if (!reachable(combo)) return;
  peerOf(combo).setSelectedIndex(index);
  combo.deliver({EventType::SelectionChanged, {}});
}

void HeadlessBackend::selectRow(ListView& list, int row) {
  if (!reachable(list)) return;
  peerOf(list).setSelectedIndex(row);
  list.deliver({EventType::SelectionChanged, {}});
}

void HeadlessBackend::type(EditBox& edit, const std::string& text) {
  if (!reachable(edit) || edit.definition().readOnly) return;
  edit.focus();  // typing happens where the focus is
  peerOf(edit).setText(text);
}

void HeadlessBackend::dragSlider(Slider& slider, int position) {
  if (!reachable(slider)) return;
  peerOf(slider).userSetPosition(position);
  slider.deliver({EventType::PositionChanged, {}});
}

void HeadlessBackend::mouseDown(Control& control, Point point, MouseButton button) {
  if (reachable(control)) control.deliver({EventType::MouseDown, {button, point}});
}

void HeadlessBackend::mouseMove(Control& control, Point point) {
  if (reachable(control)) control.deliver({EventType::MouseMove, {MouseButton::None, point}});
}

void HeadlessBackend::mouseUp(Control& control, Point point, MouseButton button) {
  if (reachable(control)) control.deliver({EventType::MouseUp, {button, point}});
}

void HeadlessBackend::keyDown(Form& form, int virtualKey, bool shift) {
  if (!form.alive()) return;
  Control* focused = form.focusedControl();
  if (!isNavigationKey(focused, virtualKey)) {
    form.deliverKeyDown(virtualKey);
    return;
  }
  switch (virtualKey) {
    case key::kTab:
      if (Control* next = nextTabStop(form, focused, shift)) next->focus();
      break;
    case key::kReturn:
    case key::kSpace:
      click(*focused);
      break;
    default:  // an arrow key moves within a radio group and selects the button it reaches
      if (focused->kind() != ControlKind::RadioButton) break;
      Control* next = nextInGroup(*focused, virtualKey == key::kLeft || virtualKey == key::kUp);
      if (next == focused) break;
      next->focus();
      if (!peerOf(*next).checked()) click(*next);
      break;
  }
}

void HeadlessBackend::closeBox(Form& form) { form.deliverClose(); }

bool HeadlessBackend::pressHotkey(unsigned modifiers, int virtualKey) {
  std::optional<RegisteredHotkey> hit;
  {
    std::lock_guard lock(mutex_);
    for (const RegisteredHotkey& h : hotkeys_) {
      if (h.modifiers == modifiers && h.virtualKey == virtualKey) hit = h;
    }
  }
  if (!hit) return false;
  Form* form = findForm(hit->form);
  if (!form) return false;
  form->deliverHotkey(hit->id);
  return true;
}

void HeadlessBackend::mouseHookEvent(MouseHookAction action, Point screenPoint) {
  setCursorPosition(screenPoint);
  auto hooks = mouseHooks_;  // a hook may remove itself
  for (auto& [id, hook] : hooks) hook({action, screenPoint});
}

// ---- Time and posted work ----

void HeadlessBackend::at(std::uint64_t whenMs, std::function<void()> input) {
  scheduled_.push_back({whenMs, scheduleOrder_++, std::move(input)});
}

bool HeadlessBackend::runDueInput() {
  bool ran = false;
  for (;;) {
    auto due = std::min_element(scheduled_.begin(), scheduled_.end(), [](auto& a, auto& b) {
      return std::tie(a.when, a.order) < std::tie(b.when, b.order);
    });
    if (due == scheduled_.end() || due->when > now_) return ran;
    auto input = std::move(due->input);
    scheduled_.erase(due);
    input();
    ran = true;
  }
}

bool HeadlessBackend::runOnce() {
  bool ran = false;
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      if (posted_.empty()) break;
      work = std::move(posted_.front());
      posted_.pop_front();
    }
    work();
    ran = true;
  }
  return runDueInput() || ran;
}

void HeadlessBackend::runPending() {
  while (runOnce()) {
  }
  detail::collectDeadForms();
}

void HeadlessBackend::processMessages(int milliseconds) {
  std::uint64_t target = now_ + std::uint64_t(std::max(0, milliseconds));
  for (;;) {
    while (runOnce()) {
    }
    std::uint64_t next = target + 1;
    for (const Scheduled& s : scheduled_) next = std::min(next, s.when);
    if (next > target) break;
    now_ = std::max(now_, next);
  }
  now_ = target;
  while (runOnce()) {
  }
}

void HeadlessBackend::advance(int milliseconds) {
  processMessages(milliseconds);
  detail::collectDeadForms();
}

bool HeadlessBackend::runUntil(const std::function<bool()>& done, int realTimeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(realTimeoutMs);
  for (;;) {
    runPending();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

int HeadlessBackend::runMessageLoop() {
  // Runs until the program quits or nothing is left to do: no posted work, no scheduled input.
  for (;;) {
    runPending();
    if (exitCode_) return *exitCode_;
    if (scheduled_.empty()) return -1;
    std::uint64_t next = scheduled_.front().when;
    for (const Scheduled& s : scheduled_) next = std::min(next, s.when);
    now_ = std::max(now_, next);
  }
}

void HeadlessBackend::quit(int exitCode) { exitCode_ = exitCode; }

void HeadlessBackend::runModal(Form& form) {
  bool scripted = false;
  while (form.alive()) {
    if (runOnce()) continue;
    if (!scheduled_.empty()) {
      std::uint64_t next = scheduled_.front().when;
      for (const Scheduled& s : scheduled_) next = std::min(next, s.when);
      now_ = std::max(now_, next);
      continue;
    }
    if (!scripted && modalScript_) {
      scripted = true;
      auto script = modalScript_;
      script(form);
      continue;
    }
    // Nothing could ever close it: close it rather than hang the test.
    ++abandonedModals_;
    form.destroy();
  }
}

void HeadlessBackend::post(std::function<void()> work) {
  std::lock_guard lock(mutex_);
  posted_.push_back(std::move(work));
}

// ---- Scripted system ----

int HeadlessBackend::answer(std::deque<int>& script, int fallback) {
  if (script.empty()) return fallback;
  int result = script.front();
  script.pop_front();
  return result;
}

int HeadlessBackend::messageBox(Form* owner, const std::string& text, const std::string& caption,
                                unsigned style) {
  FormHandle ownerHandle = owner ? owner->handle() : 0;
  std::lock_guard lock(mutex_);
  int result = answer(messageAnswers_, mb::kIdOk);
  messages_.push_back({text, cp936::toUtf16(text), caption, style, 0, result, ownerHandle});
  return result;
}

int HeadlessBackend::messageBoxWide(Form* owner, const std::u16string& text,
                                    const std::string& caption, unsigned style) {
  FormHandle ownerHandle = owner ? owner->handle() : 0;
  std::lock_guard lock(mutex_);
  int result = answer(messageAnswers_, mb::kIdOk);
  messages_.push_back({cp936::fromUtf16(text), text, caption, style, 0, result, ownerHandle});
  return result;
}

int HeadlessBackend::timedMessageBox(Form* owner, const std::string& text,
                                     const std::string& caption, unsigned style,
                                     unsigned timeoutMs) {
  FormHandle ownerHandle = owner ? owner->handle() : 0;
  std::lock_guard lock(mutex_);
  int result = answer(messageAnswers_, mb::kIdTimedOut);
  messages_.push_back({text, cp936::toUtf16(text), caption, style, timeoutMs, result, ownerHandle});
  return result;
}

void HeadlessBackend::answerMessageBoxes(std::vector<int> answers) {
  std::lock_guard lock(mutex_);
  messageAnswers_.insert(messageAnswers_.end(), answers.begin(), answers.end());
}

std::vector<ShownMessage> HeadlessBackend::messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

void HeadlessBackend::clearMessages() {
  std::lock_guard lock(mutex_);
  messages_.clear();
}

std::filesystem::path HeadlessBackend::chooseOpenFile(const OpenFileRequest& request) {
  std::lock_guard lock(mutex_);
  fileDialogs_.push_back(request);
  if (fileAnswers_.empty()) return {};
  auto chosen = fileAnswers_.front();
  fileAnswers_.pop_front();
  return chosen;
}

void HeadlessBackend::answerFileDialogs(std::vector<std::filesystem::path> answers) {
  std::lock_guard lock(mutex_);
  fileAnswers_.insert(fileAnswers_.end(), answers.begin(), answers.end());
}

std::vector<OpenFileRequest> HeadlessBackend::fileDialogs() const {
  std::lock_guard lock(mutex_);
  return fileDialogs_;
}

SaveFileChoice HeadlessBackend::chooseSaveFile(const SaveFileRequest& request) {
  std::lock_guard lock(mutex_);
  saveDialogs_.push_back(request);
  if (saveAnswers_.empty()) return {};
  auto chosen = saveAnswers_.front();
  saveAnswers_.pop_front();
  return chosen;
}

void HeadlessBackend::answerSaveDialogs(std::vector<SaveFileChoice> answers) {
  std::lock_guard lock(mutex_);
  saveAnswers_.insert(saveAnswers_.end(), answers.begin(), answers.end());
}

std::vector<SaveFileRequest> HeadlessBackend::saveDialogs() const {
  std::lock_guard lock(mutex_);
  return saveDialogs_;
}

void HeadlessBackend::openUrl(const std::string& url) {
  std::lock_guard lock(mutex_);
  openedUrls_.push_back(url);
}

std::vector<std::string> HeadlessBackend::openedUrls() const {
  std::lock_guard lock(mutex_);
  return openedUrls_;
}

Size HeadlessBackend::screenSize() const {
  std::lock_guard lock(mutex_);
  int primary = primaryMonitorIndex(monitors_);
  if (primary < 0) return {};
  Rect area = monitors_[std::size_t(primary)].area;
  return {area.width, area.height};
}

void HeadlessBackend::setScreenSize(Size size) {
  std::lock_guard lock(mutex_);
  monitors_ = {{{0, 0, size.width, size.height}, kDesignDpi, true}};
}

std::vector<Monitor> HeadlessBackend::monitors() const {
  std::lock_guard lock(mutex_);
  return monitors_;
}

void HeadlessBackend::setMonitors(std::vector<Monitor> monitors) {
  std::lock_guard lock(mutex_);
  monitors_ = std::move(monitors);
}

Point HeadlessBackend::cursorPosition() const {
  std::lock_guard lock(mutex_);
  return cursor_;
}

void HeadlessBackend::setCursorPosition(Point point) {
  std::lock_guard lock(mutex_);
  cursor_ = point;
}

std::optional<std::string> HeadlessBackend::clipboardText() {
  std::lock_guard lock(mutex_);
  return clipboard_;
}

void HeadlessBackend::setClipboardText(std::optional<std::string> text) {
  std::lock_guard lock(mutex_);
  clipboard_ = std::move(text);
  ++clipboardSequence_;
}

std::uint32_t HeadlessBackend::clipboardSequence() {
  std::lock_guard lock(mutex_);
  return clipboardSequence_;
}

void HeadlessBackend::pressKey(int virtualKey, bool down) {
  std::function<void(const KeyPress&)> reaction;
  {
    std::lock_guard lock(mutex_);
    keyPresses_.push_back({virtualKey, down});
    reaction = keyReaction_;
  }
  if (reaction) reaction({virtualKey, down});
}

std::vector<KeyPress> HeadlessBackend::keyPresses() const {
  std::lock_guard lock(mutex_);
  return keyPresses_;
}

void HeadlessBackend::onKeyPressed(std::function<void(const KeyPress&)> reaction) {
  std::lock_guard lock(mutex_);
  keyReaction_ = std::move(reaction);
}

bool HeadlessBackend::hotkeyRefused(unsigned modifiers, int virtualKey) const {
  return std::find(refusedHotkeys_.begin(), refusedHotkeys_.end(),
                   std::pair{modifiers, virtualKey}) != refusedHotkeys_.end();
}

void HeadlessBackend::refuseHotkey(unsigned modifiers, int virtualKey) {
  std::lock_guard lock(mutex_);
  refusedHotkeys_.emplace_back(modifiers, virtualKey);
}

std::vector<RegisteredHotkey> HeadlessBackend::hotkeys() const {
  std::lock_guard lock(mutex_);
  return hotkeys_;
}

void HeadlessBackend::forgetHotkeys(FormHandle form) {
  std::lock_guard lock(mutex_);
  std::erase_if(hotkeys_, [&](const RegisteredHotkey& h) { return h.form == form; });
}

MouseHookId HeadlessBackend::installMouseHook(std::function<void(const MouseHookEvent&)> hook) {
  if (refuseMouseHooks_ || !hook) return 0;
  MouseHookId id = nextHook_++;
  mouseHooks_[id] = std::move(hook);
  return id;
}

bool HeadlessBackend::removeMouseHook(MouseHookId hook) { return mouseHooks_.erase(hook) > 0; }

void HeadlessBackend::refuseMouseHooks(bool refuse) { refuseMouseHooks_ = refuse; }

int HeadlessBackend::mouseHookCount() const { return int(mouseHooks_.size()); }

void HeadlessBackend::setScreenSnapshot(std::string bmpBytes) {
  std::lock_guard lock(mutex_);
  screenSnapshot_ = std::move(bmpBytes);
}

std::string HeadlessBackend::screenSnapshotBmp() {
  std::lock_guard lock(mutex_);
  if (!screenSnapshot_.empty()) return screenSnapshot_;
  Rect screen = virtualScreenOf(monitors_);
  return Bitmap(screen.width, screen.height, 0xFFFFFF).toBmp();
}

std::vector<std::uint32_t> HeadlessBackend::screenPixels(Rect area) {
  std::string bmp;
  Rect screen;
  {
    std::lock_guard lock(mutex_);
    ++screenPixelReads_;
    bmp = screenSnapshot_;
    screen = virtualScreenOf(monitors_);
  }
  if (area.width <= 0 || area.height <= 0) return {};
  std::optional<Bitmap> shown = Bitmap::fromBmp(bmp);
  if (!shown) shown = Bitmap(screen.width, screen.height, 0xFFFFFF);
  std::vector<std::uint32_t> pixels;
  pixels.reserve(std::size_t(area.width) * std::size_t(area.height));
  for (int y = area.top; y < area.top + area.height; ++y)
    for (int x = area.left; x < area.left + area.width; ++x)
      pixels.push_back(shown->pixel(x - screen.left, y - screen.top));
  return pixels;
}

int HeadlessBackend::screenPixelReads() const {
  std::lock_guard lock(mutex_);
  return screenPixelReads_;
}

// ---- Forms ----

std::unique_ptr<FormPeer> HeadlessBackend::createForm(Form& form) {
  return std::make_unique<HeadlessFormPeer>(*this, form);
}

}  // namespace ui::headless
