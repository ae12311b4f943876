// What region watch costs while the watched area stays still: the CPU the program spends over
// some seconds of sampling, as a share of one core, against the same seconds of the plain way
// to notice a change (one full-screen snapshot at the same pace) measured in the same run.
//
//   region_watch_bench [SECONDS] [WIDTH HEIGHT]
//   (a Windows program; run it under Wine with a display:
//    scripts/with-display.sh wine build/win32/bin/region_watch_bench.exe)
// Under Wine the X server's part of each screen read is spent in the X server, not counted.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "app/controllers/region_watch_run.h"
#include "ui/system.h"
#include "ui/toolkit.h"
#include "ui/win32/win32_backend.h"

namespace {

double cpuSeconds() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return double((std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// Share of one core spent by this process while `body` runs for `seconds`.
template <typename Body>
double coreShare(double seconds, Body body) {
  const double cpuBefore = cpuSeconds();
  const auto wallBefore = std::chrono::steady_clock::now();
  body(seconds);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
  return (cpuSeconds() - cpuBefore) / wall;
}

// The outside reference: a full-screen snapshot every 250 ms.
void snapshotEvery250Ms(double seconds) {
  const ui::Size screen = ui::screenSize();
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    HDC screenDc = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screenDc);
    HBITMAP picture = CreateCompatibleBitmap(screenDc, screen.width, screen.height);
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, screen.width, screen.height, screenDc, 0, 0, SRCCOPY);
    GdiFlush();
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screenDc);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? std::max(2, _wtoi(argv[1])) : 10;
  const int width = argc > 3 ? std::max(8, _wtoi(argv[2])) : 600;
  const int height = argc > 3 ? std::max(8, _wtoi(argv[3])) : 200;
  ui::win32::Win32Backend backend;
  ui::install(backend);

  auto reads = std::make_shared<std::atomic<int>>(0);
  const ui::Rect area{100, 100, width, height};
  double watching = 0;
  {
    app::RegionWatchRun run(0, area, [reads](const std::string&) {
      ++*reads;
      return capture::Recognition{capture::RecognitionOutcome::kNoText, {}, {}};
    });
    if (!run.started()) {
      std::fprintf(stderr, "region_watch_bench: no thread\n");
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the first read is done
    watching = coreShare(seconds, [](double s) {
      std::this_thread::sleep_for(std::chrono::duration<double>(s));
    });
  }
  const double reference = coreShare(seconds, snapshotEvery250Ms);
  const ui::Size screen = ui::screenSize();

  std::printf("area %d x %d on a %d x %d screen, %.0f s each, sampled every 250 ms\n", width,
              height, screen.width, screen.height, seconds);
  std::printf("watching   %6.2f %% of one core  (%d recognitions: the first only)\n",
              watching * 100, reads->load());
  std::printf("reference  %6.2f %% of one core  (a full-screen snapshot every 250 ms)\n",
              reference * 100);
  std::printf("ratio      %6.2f x the reference; goal under 1 %% of one core: %s\n",
              reference > 0 ? watching / reference : 0.0, watching < 0.01 ? "met" : "missed");
  ui::uninstall();
  return 0;
}
