// Monitors on the virtual screen: its bounds with monitors left of and above the primary, the
// monitor a point belongs to (gaps included), and design lengths scaled to a monitor's DPI.
#include "ui/screen_geometry.h"

#include <gtest/gtest.h>

namespace {

using ui::Monitor;

// A 150% monitor left of and above the primary, and a short one right of it.
const std::vector<Monitor> kDesk = {
    {{0, 0, 1920, 1080}, 96, true},
    {{-2560, -400, 2560, 1440}, 144, false},
    {{1920, 0, 1280, 720}, 120, false},
};

TEST(ScreenGeometry, TheVirtualScreenHoldsEveryMonitor) {
  EXPECT_EQ(ui::virtualScreenOf(kDesk), (ui::Rect{-2560, -400, 5760, 1480}));
  EXPECT_EQ(ui::virtualScreenOf({}), (ui::Rect{}));
  EXPECT_EQ(ui::virtualScreenOf({kDesk[0]}), (ui::Rect{0, 0, 1920, 1080}));
  EXPECT_EQ(ui::primaryMonitorIndex(kDesk), 0);
  EXPECT_EQ(ui::primaryMonitorIndex({kDesk[1], kDesk[2]}), 0);  // none marked: the first
  EXPECT_EQ(ui::primaryMonitorIndex({}), -1);
}

TEST(ScreenGeometry, APointBelongsToTheMonitorHoldingItElseTheNearest) {
  EXPECT_EQ(ui::monitorIndexAt(kDesk, {0, 0}), 0);
  EXPECT_EQ(ui::monitorIndexAt(kDesk, {-1, 0}), 1);  // across the border
  EXPECT_EQ(ui::monitorIndexAt(kDesk, {-2560, -400}), 1);
  EXPECT_EQ(ui::monitorIndexAt(kDesk, {1919, 500}), 0);
  EXPECT_EQ(ui::monitorIndexAt(kDesk, {1920, 500}), 2);
  // Below the short monitor: nearer to it than to the primary's right edge.
  EXPECT_EQ(ui::monitorIndexAt(kDesk, {2500, 800}), 2);
  EXPECT_EQ(ui::monitorIndexAt(kDesk, {1950, 1070}), 0);
  EXPECT_EQ(ui::monitorIndexAt(kDesk, {-100000, 100000}), 1);  // far off every monitor
  EXPECT_EQ(ui::monitorIndexAt({}, {0, 0}), -1);
}

TEST(ScreenGeometry, DesignLengthsScaleRoundingHalvesAwayFromZero) {
  EXPECT_EQ(ui::scaleForDpi(13, 144), 20);   // 19.5
  EXPECT_EQ(ui::scaleForDpi(7, 120), 9);     // 8.75
  EXPECT_EQ(ui::scaleForDpi(10, 120), 13);   // 12.5
  EXPECT_EQ(ui::scaleForDpi(9, 120), 11);    // 11.25
  EXPECT_EQ(ui::scaleForDpi(-13, 144), -20);
  EXPECT_EQ(ui::scaleForDpi(250, 192), 500);
  EXPECT_EQ(ui::scaleForDpi(250, 96), 250);
  EXPECT_EQ(ui::scaleForDpi(2000000000, 192), 2147483647);  // clamped, not wrapped
}

}  // namespace
