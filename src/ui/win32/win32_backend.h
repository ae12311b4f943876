// The toolkit backend of real windows: forms are top-level windows, controls are the system's
// controls (or a canvas window of our own for pictures and drawing panels), and the message
// loop is the thread's. Construct and install it on the thread that is to be the UI thread.
#pragma once
#include <deque>
#include <functional>
#include <mutex>

#include "ui/backend.h"
#include "ui/win32/win32_api.h"

namespace ui::win32 {

class Win32Backend final : public Backend {
 public:
  Win32Backend();
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  // The window behind a live form or control (null otherwise); for tests and the program's
  // own edges.
  static HWND windowOf(const Form& form);
  static HWND windowOf(const Control& control);

  std::unique_ptr<FormPeer> createForm(Form& form) override;
  int runMessageLoop() override;
  void quit(int exitCode) override;
  void runModal(Form& form) override;
  void processMessages(int milliseconds) override;
  void post(std::function<void()> work) override;

  int messageBox(Form* owner, const std::string& text, const std::string& caption,
                 unsigned style) override;
  int messageBoxWide(Form* owner, const std::u16string& text, const std::string& caption,
                     unsigned style) override;
  int timedMessageBox(Form* owner, const std::string& text, const std::string& caption,
                      unsigned style, unsigned timeoutMs) override;
  std::filesystem::path chooseOpenFile(const OpenFileRequest& request) override;
  SaveFileChoice chooseSaveFile(const SaveFileRequest& request) override;
  void openUrl(const std::string& url) override;
  Size screenSize() const override;
  std::vector<Monitor> monitors() const override;
  Point cursorPosition() const override;
  std::optional<std::string> clipboardText() override;
  std::uint32_t clipboardSequence() override;
  void pressKey(int virtualKey, bool down) override;
  MouseHookId installMouseHook(std::function<void(const MouseHookEvent&)> hook) override;
  bool removeMouseHook(MouseHookId hook) override;
  std::string screenSnapshotBmp() override;
  std::vector<std::uint32_t> screenPixels(Rect area) override;

 private:
  static LRESULT CALLBACK postedWorkProc(HWND window, UINT message, WPARAM w, LPARAM l);
  void runPostedWork();
  HWND ownerWindow(Form* owner) const;  // the window a message box belongs to, or null

  DWORD uiThread_ = GetCurrentThreadId();
  HWND messageWindow_ = nullptr;
  std::mutex mutex_;
  std::deque<std::function<void()>> posted_;
};

}  // namespace ui::win32
