#include "net/text_between.h"

#include <gtest/gtest.h>

namespace net {
namespace {

TEST(TextBetween, CutsBetweenTheMarkers) {
  EXPECT_EQ(TextBetween("Date: Mon, 7 Dec\r\nServer", "Date: ", "\r\n"), "Mon, 7 Dec");
  EXPECT_EQ(TextBetween("a<>b", "<", ">"), "");
}

TEST(TextBetween, IsEmptyWhenAMarkerIsMissing) {
  EXPECT_EQ(TextBetween("abc", "x", "c"), "");
  EXPECT_EQ(TextBetween("abc", "a", "x"), "");
  // The right marker only counts after the left one.
  EXPECT_EQ(TextBetween("]x[y", "[", "]"), "");
}

TEST(TextBetween, StartsSearchingAtTheGivenPosition) {
  EXPECT_EQ(TextBetween("k=1;k=2;", "k=", ";", 1), "1");
  EXPECT_EQ(TextBetween("k=1;k=2;", "k=", ";", 2), "2");
  EXPECT_EQ(TextBetween("k=1;k=2;", "k=", ";", 5), "2");
  EXPECT_EQ(TextBetween("k=1;k=2;", "k=", ";", 6), "");
  EXPECT_EQ(TextBetween("k=1;", "k=", ";", 0), "1");
  EXPECT_EQ(TextBetween("k=1;", "k=", ";", 100), "");
}

TEST(TextBetween, IgnoresCaseOnlyWhenAsked) {
  EXPECT_EQ(TextBetween("SET-COOKIE: id=7;", "set-cookie: ", ";"), "");
  EXPECT_EQ(TextBetween("SET-COOKIE: id=7;", "set-cookie: ", ";", 1, true), "id=7");
}

TEST(TextBetween, ReadsQuoteWordsInMarkersAsDoubleQuotes) {
  // #引号 in GBK
  const std::string quote = "#\xD2\xFD\xBA\xC5";
  EXPECT_EQ(TextBetween("name=\"v\";", "name=" + quote, quote), "v");
}

TEST(TextBetween, NeverMatchesTheTrailByteOfADoubleByteCharacter) {
  // 誠 is D5 5C and 乗 81 5C: their trail bytes look like a backslash.
  EXPECT_EQ(TextBetween("\xD5\x5Cx\\y\\", "\\", "\\"), "y");
  EXPECT_EQ(TextBetween("a\x81\x5C"
                        "b\\",
                        "a", "\\"),
            "\x81\x5C"
            "b");
  // 丄 is 81 41: its trail byte must not fold to "a" either.
  EXPECT_EQ(TextBetween("\x81\x41=1;a=2;", "a=", ";", 1, true), "2");
}

}  // namespace
}  // namespace net
