// Drag-select: tells a drag of the left mouse button from a click, from where the button went
// down and where it came up (screen coordinates).
#pragma once

namespace capture {

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

class DragDetector {
 public:
  void buttonDown(ScreenPoint at) { start_ = at; }
  // True when this release ends a drag that should be copied: the button came up somewhere
  // else than where it last went down, while drag-select capture is on.
  bool buttonUp(ScreenPoint at, bool captureOn) const {
    return captureOn && (at.x != start_.x || at.y != start_.y);
  }
  ScreenPoint start() const { return start_; }

 private:
  ScreenPoint start_;
};

}  // namespace capture
