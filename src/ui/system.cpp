#include "ui/system.h"

#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace ui {

const std::string& defaultMessageCaption() {
  static const std::string caption = detail::programText("信息：");
  return caption;
}

int messageBox(const std::string& text, unsigned style) {
  return messageBox(text, defaultMessageCaption(), style);
}

int messageBox(const std::string& text, const std::string& caption, unsigned style) {
  return backend().messageBox(detail::messageOwner(), text, caption, style);
}

int messageBoxWide(const std::u16string& text, unsigned style) {
  return backend().messageBoxWide(detail::messageOwner(), text, defaultMessageCaption(), style);
}

int timedMessageBox(const std::string& text, const std::string& caption, unsigned style,
                    unsigned timeoutMs) {
  return backend().timedMessageBox(detail::messageOwner(), text, caption, style, timeoutMs);
}

std::filesystem::path chooseOpenFile(const OpenFileRequest& request) {
  assertUiThread("ui::chooseOpenFile");
  return backend().chooseOpenFile(request);
}

SaveFileChoice chooseSaveFile(const SaveFileRequest& request) {
  assertUiThread("ui::chooseSaveFile");
  return backend().chooseSaveFile(request);
}

void openUrl(const std::string& url) {
  assertUiThread("ui::openUrl");
  backend().openUrl(url);
}

// A worker may still be finishing when the program ends: without a backend these answer
// empty and do nothing.

Size screenSize() {
  Backend* b = detail::installedBackend();
  return b ? b->screenSize() : Size{};
}

std::vector<Monitor> monitors() {
  Backend* b = detail::installedBackend();
  return b ? b->monitors() : std::vector<Monitor>{};
}

Rect virtualScreen() { return virtualScreenOf(monitors()); }

Monitor monitorAt(Point point) {
  std::vector<Monitor> all = monitors();
  int index = monitorIndexAt(all, point);
  return index < 0 ? Monitor{} : all[std::size_t(index)];
}

Point cursorPosition() {
  Backend* b = detail::installedBackend();
  return b ? b->cursorPosition() : Point{};
}

std::optional<std::string> clipboardText() {
  Backend* b = detail::installedBackend();
  return b ? b->clipboardText() : std::nullopt;
}

std::uint32_t clipboardSequence() {
  Backend* b = detail::installedBackend();
  return b ? b->clipboardSequence() : 0;
}

void pressKey(int virtualKey, bool down) {
  if (Backend* b = detail::installedBackend()) b->pressKey(virtualKey, down);
}

MouseHookId installMouseHook(std::function<void(const MouseHookEvent&)> hook) {
  assertUiThread("ui::installMouseHook");
  return backend().installMouseHook(std::move(hook));
}

bool removeMouseHook(MouseHookId hook) {
  assertUiThread("ui::removeMouseHook");
  return backend().removeMouseHook(hook);
}

std::string screenSnapshotBmp() {
  assertUiThread("ui::screenSnapshotBmp");
  return backend().screenSnapshotBmp();
}

std::vector<std::uint32_t> screenPixels(Rect area) {
  Backend* b = detail::installedBackend();
  return b ? b->screenPixels(area) : std::vector<std::uint32_t>{};
}

}  // namespace ui
