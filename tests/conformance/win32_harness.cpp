// The user of real windows: the messages that a person's clicks, choices and keys send.

#include "harness.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_backend.h"

namespace conformance {
namespace {

using ui::win32::Win32Backend;

bool reachable(HWND window) { return window && IsWindowVisible(window) && IsWindowEnabled(window); }

void notifyParent(HWND control, UINT message, WPARAM w) {
  SendMessageW(GetParent(control), message, w, reinterpret_cast<LPARAM>(control));
}

class Win32Harness final : public Harness {
 public:
  Win32Harness() { ui::install(backend_); }
  ~Win32Harness() override { ui::uninstall(); }

  void click(ui::Control& control) override {
    HWND window = Win32Backend::windowOf(control);
    if (reachable(window)) SendMessageW(window, BM_CLICK, 0, 0);
  }
  void select(ui::ComboBox& combo, int index) override {
    HWND window = Win32Backend::windowOf(combo);
    if (!reachable(window)) return;
    SendMessageW(window, CB_SETCURSEL, WPARAM(index), 0);
    notifyParent(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), CBN_SELCHANGE));
  }
  void selectRow(ui::ListView& list, int row) override {
    HWND window = Win32Backend::windowOf(list);
    if (reachable(window)) {
      ListView_SetItemState(window, row, LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
    }
  }
  void dragSlider(ui::Slider& slider, int position) override {
    HWND window = Win32Backend::windowOf(slider);
    if (!reachable(window)) return;
    SendMessageW(window, TBM_SETPOS, TRUE, position);
    int now = int(SendMessageW(window, TBM_GETPOS, 0, 0));
    notifyParent(window, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, now));
  }
  void closeBox(ui::Form& form) override {
    SendMessageW(Win32Backend::windowOf(form), WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  void keyDown(ui::Form& form, int virtualKey) override {
    PostMessageW(Win32Backend::windowOf(form), WM_KEYDOWN, WPARAM(virtualKey), 1);
  }
  // Real key strokes through the system's input, as a keyboard sends them.
  void pressKey(ui::Form& form, int virtualKey, bool shift) override {
    HWND window = Win32Backend::windowOf(form);
    SetForegroundWindow(window);
    ui::processMessages(10);
    if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(BYTE(virtualKey), 0, 0, 0);
    keybd_event(BYTE(virtualKey), 0, KEYEVENTF_KEYUP, 0);
    if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    // The strokes come through the queue: run it a while, then until it is empty.
    ui::processMessages(30);
    DWORD start = GetTickCount();
    while (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0 && GetTickCount() - start < 2000) {
      ui::processMessages(5);
    }
  }
  bool runUntil(const std::function<bool()>& done) override {
    DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > 10000) return false;
      ui::processMessages(5);
    }
    return true;
  }

 private:
  Win32Backend backend_;
};

}  // namespace

std::unique_ptr<Harness> makeHarness() { return std::make_unique<Win32Harness>(); }

}  // namespace conformance
