// What the capture tests share: the other program they drag over and cut from, the mouse moved
// from outside with xdotool, and the screenshot overlay found by its size.
#pragma once
#include <windows.h>

#include <string>

#include "program.h"
#include "window_driver.h"
#include "x_keyboard.h"

namespace e2e {

inline constexpr int kScreenW = 1920, kScreenH = 1080;

// The capture target program (capture_target.cpp), started with `arguments` and ended with
// the test.
class CaptureTarget {
 public:
  explicit CaptureTarget(const std::wstring& arguments = {}) {
    std::wstring line =
        L"\"" + fromBuildPath(QUORVIX_CAPTURE_TARGET).wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &process_);
    waitUntil([&] { return (window_ = FindWindowW(L"QuorvixCaptureTarget", nullptr)) != nullptr; });
  }
  ~CaptureTarget() {
    if (!process_.hProcess) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  CaptureTarget(const CaptureTarget&) = delete;
  CaptureTarget& operator=(const CaptureTarget&) = delete;

  HWND window() const { return window_; }
  HWND edit() const { return FindWindowExW(window_, nullptr, L"Edit", nullptr); }
  // The area it paints (the pattern, or the question in the middle of white), on the screen.
  RECT paintedArea() const {
    POINT origin{20, 100};
    ClientToScreen(window_, &origin);
    return {origin.x, origin.y, origin.x + 560, origin.y + 180};
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

inline std::string at(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

inline bool moveMouse(int x, int y) { return runXdotool("mousemove --sync " + at(x, y)); }

// A left-button drag as a person makes it: press, move on in steps, release.
inline bool dragMouse(int x0, int y0, int x1, int y1) {
  std::string steps = "mousemove --sync " + at(x0, y0) + " mousedown 1";
  for (int i = 1; i <= 4; ++i)
    steps += " sleep 0.05 mousemove --sync " + at(x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4);
  return runXdotool(steps + " sleep 0.05 mouseup 1");
}

// The overlay: the program's window that covers the screen.
inline HWND overlay(const Program& program) {
  for (HWND w : topLevelWindows(program.id())) {
    SIZE size = sizeOf(w);
    if (size.cx == kScreenW && size.cy == kScreenH) return w;
  }
  return nullptr;
}

// The overlay once it is the foreground window and the X server routes keys and the mouse to it;
// null when that does not happen within 10 s.
inline HWND waitForOverlayInput(const Program& program) {
  HWND shown = nullptr;
  bool ready = waitUntil(
      [&] {
        shown = overlay(program);
        return shown && GetForegroundWindow() == shown && keysReach(shown);
      },
      10000);
  return ready ? shown : nullptr;
}

}  // namespace e2e
