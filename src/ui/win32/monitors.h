// The monitors as Windows reports them, and the DPI of each.
#pragma once
#include <vector>

#include "ui/screen_geometry.h"
#include "ui/win32/win32_api.h"

namespace ui::win32 {

std::vector<Monitor> listMonitors();

// The monitor's DPI: its own where the system has per-monitor DPI (Windows 8.1 and later),
// else the system's.
int monitorDpi(HMONITOR monitor);

// The rectangle of every monitor together, in screen coordinates.
Rect virtualScreenRect();

}  // namespace ui::win32
