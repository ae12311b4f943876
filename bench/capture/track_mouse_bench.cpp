// Whether the screenshot overlay keeps up with the mouse: the time of one mouse move over the
// overlay (the magnifier, and while dragging the rectangle too), painted, on the frozen picture
// of the whole screen, against one plain BitBlt of the whole screen measured in the same run.
// A mouse reporting at 125 Hz moves every 8 ms.
//
//   track_mouse_bench [MOVES]
//   (a Windows program; run it under Wine with a display of 1920 x 1080:
//    scripts/with-display.sh wine build/win32/bin/track_mouse_bench.exe)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/controllers/screenshot_overlay.h"
#include "ui/system.h"
#include "ui/toolkit.h"
#include "ui/win32/win32_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

// Every message the move left behind, paints included, handled.
void drain() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  GdiFlush();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Milliseconds per mouse move along a path across the screen.
std::vector<double> timeMoves(app::ScreenshotForm& form, int moves) {
  ui::Size screen = ui::screenSize();
  std::vector<double> times;
  for (int i = 0; i < moves; ++i) {
    int x = 40 + (i * 37) % (screen.width - 80);
    int y = 40 + (i * 23) % (screen.height - 80);
    auto start = Clock::now();
    form.画板1.deliver({ui::EventType::MouseMove, {ui::MouseButton::None, {x, y}}});
    drain();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return times;
}

// Milliseconds per plain BitBlt of a screen-sized picture onto the overlay's window.
std::vector<double> timeBitBlt(HWND window, int repeats) {
  ui::Size screen = ui::screenSize();
  HDC target = GetDC(window);
  HDC memory = CreateCompatibleDC(target);
  HBITMAP picture = CreateCompatibleBitmap(target, screen.width, screen.height);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, screen.width, screen.height, target, 0, 0, SRCCOPY);
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    auto start = Clock::now();
    BitBlt(target, 0, 0, screen.width, screen.height, memory, 0, 0, SRCCOPY);
    GdiFlush();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  SelectObject(memory, old);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(window, target);
  return times;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int moves = argc > 1 ? std::max(10, _wtoi(argv[1])) : 300;
  ui::win32::Win32Backend backend;
  ui::install(backend);
  auto& form = ui::load<app::ScreenshotForm>(
      [](app::ScreenshotForm& f) { app::attachScreenshotOverlay(f, {}); });
  drain();
  HWND window = ui::win32::Win32Backend::windowOf(form);
  ui::Size screen = ui::screenSize();

  timeMoves(form, 20);  // warm up
  double waiting = median(timeMoves(form, moves));
  form.画板1.deliver({ui::EventType::MouseDown, {ui::MouseButton::Left, {5, 5}}});
  double dragging = median(timeMoves(form, moves));
  double bitblt = median(timeBitBlt(window, moves));

  std::printf("screen    %d x %d, %d moves, medians\n", screen.width, screen.height, moves);
  std::printf("bitblt    %7.2f ms  (one full-screen BitBlt, the reference)\n", bitblt);
  std::printf("waiting   %7.2f ms  %5.1f x bitblt  (magnifier only)\n", waiting, waiting / bitblt);
  std::printf("dragging  %7.2f ms  %5.1f x bitblt  (board redrawn, rectangle, magnifier)\n",
              dragging, dragging / bitblt);
  std::printf("a 125 Hz mouse moves every 8 ms: %s\n",
              std::max(waiting, dragging) < 8.0 ? "keeps up" : "falls behind");
  ui::uninstall();
  return 0;
}
