// The answer form's date line.
#include "platform/date_time.h"

#include <gtest/gtest.h>

#include "platform/cp936.h"

namespace {

std::string gbk(std::string_view utf8) { return cp936::fromUtf8(utf8); }

TEST(DateText, EndsWithTheLastTimePartThatIsNotZero) {
  EXPECT_EQ(platform::dateTimeText({2026, 12, 7, 8, 15, 30}), gbk("2026年12月7日8时15分30秒"));
  EXPECT_EQ(platform::dateTimeText({2026, 12, 7, 8, 0, 30}), gbk("2026年12月7日8时0分30秒"));
  EXPECT_EQ(platform::dateTimeText({2026, 1, 2, 8, 5, 0}), gbk("2026年1月2日8时5分"));
  EXPECT_EQ(platform::dateTimeText({2026, 1, 2, 23, 0, 0}), gbk("2026年1月2日23时"));
  EXPECT_EQ(platform::dateTimeText({2026, 1, 2, 0, 0, 0}), gbk("2026年1月2日"));
}

TEST(DateText, VariantDatesCountDaysFromTheEndOf1899) {
  EXPECT_EQ(platform::fromVariantDate(0.0), (platform::CivilTime{1899, 12, 30, 0, 0, 0}));
  EXPECT_EQ(platform::fromVariantDate(46363.34375), (platform::CivilTime{2026, 12, 7, 8, 15, 0}));
  EXPECT_EQ(platform::fromVariantDate(60.0), (platform::CivilTime{1900, 2, 28, 0, 0, 0}));
  EXPECT_EQ(platform::fromVariantDate(61.0), (platform::CivilTime{1900, 3, 1, 0, 0, 0}));
  // Leap day of a year divisible by 400.
  EXPECT_EQ(platform::fromVariantDate(36585.5), (platform::CivilTime{2000, 2, 29, 12, 0, 0}));
}

TEST(DateText, NegativeDatesKeepTheTimeCountingForward) {
  EXPECT_EQ(platform::fromVariantDate(-1.25), (platform::CivilTime{1899, 12, 29, 6, 0, 0}));
  // The fallback of an unreachable date server: 1 January 100, 08:00:00.
  EXPECT_EQ(platform::fromVariantDate(-657434.0 - 8.0 / 24),
            (platform::CivilTime{100, 1, 1, 8, 0, 0}));
}

TEST(DateText, AlmostMidnightRoundsIntoTheNextDay) {
  EXPECT_EQ(platform::fromVariantDate(1.9999999), (platform::CivilTime{1900, 1, 1, 0, 0, 0}));
}

}  // namespace
