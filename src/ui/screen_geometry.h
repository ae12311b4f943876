// Where the monitors sit on the virtual screen. Screen coordinates start at the primary
// monitor's top-left corner; a monitor left of or above it has negative coordinates.
#pragma once
#include <vector>

#include "ui/types.h"

namespace ui {

inline constexpr int kDesignDpi = 96;

struct Monitor {
  Rect area;               // in screen coordinates, device pixels
  int dpi = kDesignDpi;    // its scale: 96 is 100%, 144 is 150%
  bool primary = false;
  friend bool operator==(const Monitor&, const Monitor&) = default;
};

// The smallest rectangle holding every monitor; empty without monitors.
Rect virtualScreenOf(const std::vector<Monitor>& monitors);

// The monitor holding the point, else the nearest one (a point in a gap between monitors of
// different sizes, or off every monitor); -1 without monitors.
int monitorIndexAt(const std::vector<Monitor>& monitors, Point point);

// The primary monitor's index (the first monitor when none is marked); -1 without monitors.
int primaryMonitorIndex(const std::vector<Monitor>& monitors);

// The rectangle moved by (dx, dy).
inline Rect shifted(Rect rect, int dx, int dy) {
  return {rect.left + dx, rect.top + dy, rect.width, rect.height};
}

// A 96-DPI design length at `dpi`, rounded half away from zero as Windows' MulDiv rounds.
int scaleForDpi(int designLength, int dpi);

}  // namespace ui
