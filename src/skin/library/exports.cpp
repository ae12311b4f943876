// The skin library's entry point and its two exported calls. Both use the stdcall convention with
// one machine word an argument, and both answer 1 when they did what was asked, else 0.
// clang-format off
#include <windows.h>
// clang-format on

#include "skin/library/skin_state.h"

using namespace skinlib;

namespace {

int clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

void detach() {
  if (!state.attached) return;
  unhookThread();
  unskinAllWindows();
  dropBrushes();
  refreshAllWindows();
  state.attached = false;
}

}  // namespace

// The skin `data` of `size` bytes is read and the calling thread's windows, present and future,
// wear it. Our skins carry no password; the password and the three words after it are reserved.
extern "C" __declspec(dllexport) int WINAPI
    SkinH_AttachRes(const unsigned char* data, int size, const char* password, int, int, int) {
  if (size <= 0) return 0;
  Palette skin;
  if (!readSkin(data, std::uint32_t(size), skin)) return 0;
  if (state.attached && state.thread != GetCurrentThreadId()) return 0;
  state.skin = skin;
  state.thread = GetCurrentThreadId();
  updateColours();
  if (!hookThread()) {
    dropBrushes();
    return 0;
  }
  if (!state.attached) skinExistingWindows();
  state.attached = true;
  refreshAllWindows();
  return 1;
}

// Moves every colour of the skin by `hue` degrees (-180..180) and its saturation and brightness
// by the given percent (-100..100); values outside are clamped. Kept for a skin attached later.
extern "C" __declspec(dllexport) int WINAPI
    SkinH_AdjustHSV(int hue, int saturation, int brightness) {
  state.hue = clamp(hue, -180, 180);
  state.saturation = clamp(saturation, -100, 100);
  state.brightness = clamp(brightness, -100, 100);
  if (!state.attached) return 1;
  updateColours();
  refreshAllWindows();
  return 1;
}

extern "C" BOOL WINAPI skinLibraryEntry(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) detach();
  return TRUE;
}
