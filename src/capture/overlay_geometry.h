// The screenshot overlay's geometry: the selection being dragged out, the rectangle it ends
// as, the magnifier's source square and where the magnifier sits beside the cursor, the hint's
// place and the scratch board's corner. Coordinates are the overlay board's, which covers the
// virtual screen (every monitor) from its top-left corner at 0, 0.
#pragma once

namespace capture {

struct BoardPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const BoardPoint&, const BoardPoint&) = default;
};

struct BoardRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const BoardRect&, const BoardRect&) = default;
};

// The magnifier: a square of kMagnifierSource pixels around the cursor with a cross-hair at
// kCrossHairAt, shown stretched to kMagnifierSize.
inline constexpr int kMagnifierSource = 21;
inline constexpr int kCrossHairAt = 10;
inline constexpr int kMagnifierSize = 100;
// The magnifier's near corner keeps this far from the cursor.
inline constexpr int kMagnifierGap = 30;

// The selection of one opening of the overlay; all zero when it opens and once it has closed.
struct SelectionState {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool selecting = false;  // between the press on the board and its release

  void begin(int x, int y) {
    left = x;
    top = y;
    selecting = true;
  }
  // The release at x, y: the corners are put in order (a drag may go any way) and kept inside
  // a board of `boardWidth` x `boardHeight`, the selecting flag drops, and the rectangle to cut
  // comes back. A release without a press uses the corners as they stand.
  BoardRect finish(int x, int y, int boardWidth, int boardHeight);
  void reset() { *this = SelectionState(); }
};

// The top-left corner of the source square whose pixel kCrossHairAt, kCrossHairAt is x, y.
BoardPoint magnifierSource(int x, int y);

// Where the magnifier's top-left corner goes for the cursor at x, y: above and to the left of
// the cursor, to its right while a selection is dragged rightwards, and on the other side of
// the cursor where it would leave the board.
BoardPoint magnifierPlace(int x, int y, const SelectionState& selection, int boardWidth,
                          int boardHeight);

// The same inside `area` of the board (the monitor under the cursor), so that the magnifier
// stays on the monitor the user looks at.
BoardPoint magnifierPlace(int x, int y, const SelectionState& selection, BoardRect area);

// The hint label's left edge, centred on the screen.
int centredLeft(int screenWidth, int labelWidth);

// The scratch board jumps between the bottom-left and bottom-right corners when the cursor
// reaches it: its new left edge.
int dodgedScratchLeft(int currentLeft, int formWidth);

}  // namespace capture
