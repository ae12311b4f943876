#include <gtest/gtest.h>

#include "spreadsheet/date_serial.h"
#include "spreadsheet/number_formats.h"

namespace {

TEST(NumberFormats, DateCodesAreRecognisedOutsideLiteralsAndBrackets) {
  for (const char* code : {"yyyy-mm-dd", "h:mm;@", "[$-F800]dddd, mmmm dd, yyyy", "[hh]:mm:ss",
                           "[mm]:ss", "yyyy\"年\"m\"月\"d\"日\"", "mm:ss.0", "h:mm AM/PM"})
    EXPECT_TRUE(xlformat::isDateCode(code)) << code;
  for (const char* code : {"General", "0.00%", "0.00_ ", "#,##0;[Red]-#,##0", "\"day\" 0", "0.0\\d",
                           "@", "[DBNum2]G/通用格式", "_(* #,##0_)", "0.00E+00"})
    EXPECT_FALSE(xlformat::isDateCode(code)) << code;
}

TEST(NumberFormats, BuiltInDateIdsIncludeTheCjkOnes) {
  for (unsigned id : {14u, 20u, 22u, 27u, 31u, 32u, 36u, 45u, 47u, 50u, 58u})
    EXPECT_TRUE(xlformat::isBuiltInDate(id)) << id;
  for (unsigned id : {0u, 10u, 13u, 23u, 26u, 37u, 44u, 49u, 59u, 164u})
    EXPECT_FALSE(xlformat::isBuiltInDate(id)) << id;
}

TEST(NumberFormats, CustomCodesSpellingBuiltInsMapToTheirIds) {
  EXPECT_EQ(xlformat::builtInIdForCode("0.00%"), 10u);
  EXPECT_EQ(xlformat::builtInIdForCode("General"), 0u);
  EXPECT_EQ(xlformat::builtInIdForCode("m/d/yyyy"), 14u);
  EXPECT_EQ(xlformat::builtInIdForCode("H:MM"), 20u);
  // LibreOffice escapes the CJK literals where Excel quotes them.
  EXPECT_EQ(xlformat::builtInIdForCode("yyyy\\年m\\月d\\日"), 31u);
  EXPECT_EQ(xlformat::builtInIdForCode("yyyy\"年\"m\"月\"d\"日\""), 31u);
  EXPECT_EQ(xlformat::builtInIdForCode("h\"时\"mm\"分\""), 32u);
  EXPECT_FALSE(xlformat::builtInIdForCode("0.0000%"));
  EXPECT_FALSE(xlformat::builtInIdForCode("h:mm;@"));
  EXPECT_FALSE(xlformat::builtInIdForCode("0.00_ "));
}

xldate::DateTime unpacked(double serial, bool date1904 = false) {
  xldate::DateTime date;
  EXPECT_TRUE(xldate::unpack(serial, date1904, date)) << serial;
  return date;
}

TEST(DateSerial, FollowsExcelsCalendarAroundThePhantomLeapDay) {
  auto d = unpacked(1);
  EXPECT_EQ((std::tuple{d.year, d.month, d.day}), (std::tuple{1900, 1, 1}));
  d = unpacked(59);
  EXPECT_EQ((std::tuple{d.year, d.month, d.day}), (std::tuple{1900, 2, 28}));
  d = unpacked(60);
  EXPECT_EQ((std::tuple{d.year, d.month, d.day}), (std::tuple{1900, 2, 29}));
  d = unpacked(61);
  EXPECT_EQ((std::tuple{d.year, d.month, d.day}), (std::tuple{1900, 3, 1}));
  d = unpacked(44931);
  EXPECT_EQ((std::tuple{d.year, d.month, d.day}), (std::tuple{2023, 1, 5}));
}

TEST(DateSerial, ATimeOfDayAloneFallsOnADayThatExists) {
  // Excel shows these as "0 January 1900"; days counted from 30 December 1899 give that day.
  auto d = unpacked(0.5451388888888888);  // 13:05 as a writer rounds it
  EXPECT_EQ((std::tuple{d.year, d.month, d.day, d.hour, d.minute, d.second}),
            (std::tuple{1899, 12, 30, 13, 5, 0}));
  d = unpacked(0);
  EXPECT_EQ((std::tuple{d.year, d.month, d.day, d.hour}), (std::tuple{1899, 12, 30, 0}));
  d = unpacked(0.9999999999);  // rounds to the next midnight
  EXPECT_EQ((std::tuple{d.year, d.month, d.day, d.hour}), (std::tuple{1900, 1, 1, 0}));
  EXPECT_DOUBLE_EQ(xldate::pack({1899, 12, 30, 13, 5, 0, 0}, false), 13 / 24.0 + 5 / 1440.0);
  d = unpacked(0.25, true);  // the 1904 system's day 0 is a real day
  EXPECT_EQ((std::tuple{d.year, d.month, d.day, d.hour}), (std::tuple{1904, 1, 1, 6}));
}

TEST(DateSerial, The1904SystemCountsFromItsOwnEpoch) {
  auto d = unpacked(0, true);
  EXPECT_EQ((std::tuple{d.year, d.month, d.day}), (std::tuple{1904, 1, 1}));
  EXPECT_DOUBLE_EQ(xldate::pack({2023, 1, 5, 0, 0, 0, 0}, true), 44931 - 1462);
}

TEST(DateSerial, PackAndUnpackRoundTrip) {
  for (double serial : {1.0, 59.0, 60.0, 61.0, 2958465.0, 44931.75, 36526.000011574}) {
    auto d = unpacked(serial);
    EXPECT_NEAR(xldate::pack(d, false), serial, 1e-8) << serial;
  }
}

TEST(DateSerial, RefusesWhatNoDateCanShow) {
  xldate::DateTime date;
  EXPECT_FALSE(xldate::unpack(1e12, false, date));
  EXPECT_FALSE(xldate::unpack(std::numeric_limits<double>::quiet_NaN(), false, date));
}

}  // namespace
