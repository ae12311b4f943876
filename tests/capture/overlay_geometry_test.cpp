// The overlay's geometry: the cut rectangle whichever way it was dragged, the magnifier's
// source square under the cross-hair, and its place beside the cursor at every edge.
#include "capture/overlay_geometry.h"

#include <gtest/gtest.h>

namespace {

using capture::BoardPoint;
using capture::BoardRect;
using capture::SelectionState;

constexpr int kW = 1920, kH = 1080;

BoardRect drag(int x0, int y0, int x1, int y1) {
  SelectionState s;
  s.begin(x0, y0);
  BoardRect cut = s.finish(x1, y1, kW, kH);
  EXPECT_FALSE(s.selecting);
  return cut;
}

TEST(OverlayGeometry, EveryDragDirectionCutsTheSameRectangleInsideTheBoard) {
  const BoardRect expected{100, 200, 300, 50};
  EXPECT_EQ(drag(100, 200, 400, 250), expected);
  EXPECT_EQ(drag(400, 250, 100, 200), expected);  // bottom-right to top-left
  EXPECT_EQ(drag(400, 200, 100, 250), expected);
  EXPECT_EQ(drag(100, 250, 400, 200), expected);
  EXPECT_EQ(drag(5, 5, 5, 90), (BoardRect{5, 5, 0, 85}));  // no width: nothing to cut
  // A cursor captured past the board (a second monitor) cuts only what the board shows.
  EXPECT_EQ(drag(1800, 1000, 2500, -40), (BoardRect{1800, 0, 120, 1000}));

  SelectionState none;  // a release without a press keeps the corners as they are
  EXPECT_EQ(none.finish(300, 300, kW, kH), (BoardRect{0, 0, 0, 0}));
}

TEST(OverlayGeometry, TheCursorPixelLiesUnderTheCrossHairOnBothSidesOfTheEdge) {
  for (int v : {0, 3, 10, 11, 20, 1919}) {
    BoardPoint source = capture::magnifierSource(v, v);
    EXPECT_EQ(source.x + capture::kCrossHairAt, v);
    EXPECT_EQ(source.y + capture::kCrossHairAt, v);
  }
}

TEST(OverlayGeometry, TheMagnifierSitsAboveLeftAndFlipsWhereItWouldLeaveTheBoard) {
  SelectionState waiting;
  EXPECT_EQ(capture::magnifierPlace(900, 500, waiting, kW, kH), (BoardPoint{770, 370}));
  EXPECT_EQ(capture::magnifierPlace(50, 500, waiting, kW, kH), (BoardPoint{80, 370}));  // left
  EXPECT_EQ(capture::magnifierPlace(900, 60, waiting, kW, kH), (BoardPoint{770, 90}));  // top
  EXPECT_EQ(capture::magnifierPlace(1900, 500, waiting, kW, kH), (BoardPoint{1770, 370}));
  EXPECT_EQ(capture::magnifierPlace(900, 1075, waiting, kW, kH), (BoardPoint{770, 945}));
  EXPECT_EQ(capture::magnifierPlace(10, 10, waiting, kW, kH), (BoardPoint{40, 40}));

  SelectionState rightwards;
  rightwards.begin(400, 400);
  EXPECT_EQ(capture::magnifierPlace(900, 500, rightwards, kW, kH), (BoardPoint{930, 370}));
  EXPECT_EQ(capture::magnifierPlace(300, 500, rightwards, kW, kH), (BoardPoint{170, 370}));
  // Near the right edge it goes back to the left, even while dragging rightwards.
  EXPECT_EQ(capture::magnifierPlace(1850, 500, rightwards, kW, kH), (BoardPoint{1720, 370}));
  // On a board too small for either side, the last rule wins.
  EXPECT_EQ(capture::magnifierPlace(60, 60, waiting, 150, 150), (BoardPoint{90, -70}));
}

TEST(OverlayGeometry, TheHintIsCentredTruncatingTowardZeroAndTheScratchBoardDodges) {
  EXPECT_EQ(capture::centredLeft(1920, 600), 660);
  EXPECT_EQ(capture::centredLeft(1920, 601), 659);
  EXPECT_EQ(capture::centredLeft(600, 603), -1);
  EXPECT_EQ(capture::dodgedScratchLeft(0, 1920), 1899);
  EXPECT_EQ(capture::dodgedScratchLeft(1899, 1920), 0);
}

}  // namespace

TEST(OverlayGeometry, TheMagnifierStaysOnTheMonitorUnderTheCursor) {
  // A 400 x 300 monitor whose corner lies at 600, 100 of a larger board.
  const BoardRect monitor{600, 100, 400, 300};
  SelectionState waiting;
  // At its left edge it flips right rather than onto the neighbouring monitor.
  EXPECT_EQ(capture::magnifierPlace(605, 150, waiting, monitor), (BoardPoint{635, 180}));
  EXPECT_EQ(capture::magnifierPlace(900, 350, waiting, monitor), (BoardPoint{770, 220}));
  SelectionState rightwards;
  rightwards.begin(650, 200);  // the press, in board coordinates like the cursor
  EXPECT_EQ(capture::magnifierPlace(700, 350, rightwards, monitor), (BoardPoint{730, 220}));
  EXPECT_EQ(capture::magnifierPlace(640, 350, rightwards, monitor), (BoardPoint{670, 220}));
}
