#include "ui/win32/monitors.h"

namespace ui::win32 {
namespace {

// GetDpiForMonitor is Windows 8.1's (shcore.dll); Windows 7 has no such library, so it is
// looked up at run time rather than imported.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

GetDpiForMonitorFn getDpiForMonitor() {
  static GetDpiForMonitorFn found = [] {
    HMODULE shcore = LoadLibraryW(L"shcore.dll");
    return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  return found;
}

int systemDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kDesignDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

BOOL CALLBACK addMonitor(HMONITOR handle, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(handle, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  reinterpret_cast<std::vector<Monitor>*>(data)->push_back(
      {{int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)},
       monitorDpi(handle),
       (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}

}  // namespace

int monitorDpi(HMONITOR monitor) {
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  if (GetDpiForMonitorFn get = getDpiForMonitor()) {
    UINT x = 0, y = 0;
    if (monitor && SUCCEEDED(get(monitor, kEffectiveDpi, &x, &y)) && x > 0) return int(x);
  }
  return systemDpi();
}

std::vector<Monitor> listMonitors() {
  std::vector<Monitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) {
    monitors.push_back({{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                        systemDpi(),
                        true});
  }
  return monitors;
}

Rect virtualScreenRect() {
  Rect screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
              GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  if (screen.width > 0 && screen.height > 0) return screen;
  return virtualScreenOf(listMonitors());
}

}  // namespace ui::win32
