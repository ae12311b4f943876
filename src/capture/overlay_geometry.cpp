#include "capture/overlay_geometry.h"

#include <algorithm>

namespace capture {

BoardRect SelectionState::finish(int x, int y, int boardWidth, int boardHeight) {
  if (selecting) {
    // The cursor may be captured beyond the board (a second monitor): cut only what it shows.
    x = std::clamp(x, 0, std::max(0, boardWidth));
    y = std::clamp(y, 0, std::max(0, boardHeight));
    if (y < top) {
      bottom = top;
      top = y;
    } else {
      bottom = y;
    }
    if (x < left) {
      right = left;
      left = x;
    } else {
      right = x;
    }
    selecting = false;
  }
  return {left, top, right - left, bottom - top};
}

BoardPoint magnifierSource(int x, int y) { return {x - kCrossHairAt, y - kCrossHairAt}; }

BoardPoint magnifierPlace(int x, int y, const SelectionState& selection, int boardWidth,
                          int boardHeight) {
  constexpr int kAway = kMagnifierGap + kMagnifierSize;  // 130: its far corner on the other side
  constexpr int kRightReach = 110;
  int px = x - kAway;
  int py = y - kAway;
  if (selection.selecting && x > selection.left) px = x + kMagnifierGap;
  if (x + kRightReach > boardWidth) px = x - kAway;
  if (px < 0) px = x + kMagnifierGap;
  if (py < 0) py = y + kMagnifierGap;
  if (py + kMagnifierSize > boardHeight) py = y - kAway;
  return {px, py};
}

BoardPoint magnifierPlace(int x, int y, const SelectionState& selection, BoardRect area) {
  SelectionState inArea = selection;
  inArea.left -= area.left;
  inArea.top -= area.top;
  BoardPoint place =
      magnifierPlace(x - area.left, y - area.top, inArea, area.width, area.height);
  return {place.x + area.left, place.y + area.top};
}

// Half the difference, truncated toward zero as the halves' difference would be.
int centredLeft(int screenWidth, int labelWidth) { return (screenWidth - labelWidth) / 2; }

int dodgedScratchLeft(int currentLeft, int formWidth) {
  return currentLeft == 0 ? formWidth - kMagnifierSource : 0;
}

}  // namespace capture
