#include "ui/screen_geometry.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace ui {
namespace {

// How far the point lies outside the rectangle, squared; 0 inside.
std::int64_t distanceSquared(Rect area, Point point) {
  auto gap = [](int value, int low, int length) -> std::int64_t {
    if (value < low) return std::int64_t(low) - value;
    std::int64_t high = std::int64_t(low) + length - 1;
    return value > high ? value - high : 0;
  };
  std::int64_t dx = gap(point.x, area.left, area.width);
  std::int64_t dy = gap(point.y, area.top, area.height);
  return dx * dx + dy * dy;
}

}  // namespace

Rect virtualScreenOf(const std::vector<Monitor>& monitors) {
  if (monitors.empty()) return {};
  std::int64_t left = std::numeric_limits<int>::max(), top = left;
  std::int64_t right = std::numeric_limits<int>::min(), bottom = right;
  for (const Monitor& m : monitors) {
    left = std::min<std::int64_t>(left, m.area.left);
    top = std::min<std::int64_t>(top, m.area.top);
    right = std::max<std::int64_t>(right, std::int64_t(m.area.left) + m.area.width);
    bottom = std::max<std::int64_t>(bottom, std::int64_t(m.area.top) + m.area.height);
  }
  return {int(left), int(top), int(right - left), int(bottom - top)};
}

int monitorIndexAt(const std::vector<Monitor>& monitors, Point point) {
  int best = -1;
  std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
  for (int i = 0; i < int(monitors.size()); ++i) {
    std::int64_t distance = distanceSquared(monitors[std::size_t(i)].area, point);
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

int primaryMonitorIndex(const std::vector<Monitor>& monitors) {
  for (int i = 0; i < int(monitors.size()); ++i)
    if (monitors[std::size_t(i)].primary) return i;
  return monitors.empty() ? -1 : 0;
}

int scaleForDpi(int designLength, int dpi) {
  std::int64_t product = std::int64_t(designLength) * dpi;
  std::int64_t half = kDesignDpi / 2;
  std::int64_t scaled = product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi);
  return int(std::clamp<std::int64_t>(scaled, std::numeric_limits<int>::min(),
                                      std::numeric_limits<int>::max()));
}

}  // namespace ui
