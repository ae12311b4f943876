#include <gtest/gtest.h>

#include "net/http_date.h"
#include "net/network_date.h"
#include "net/url_parts.h"

namespace net {
namespace {

TEST(UrlParts, HostPortAndPath) {
  EXPECT_EQ(UrlHost("HTTPS://Api.Example.com:8443/a?b=c"), "api.example.com");
  EXPECT_EQ(UrlHost("HTTPS://Api.Example.com:8443/a?b=c", true), "api.example.com:8443");
  EXPECT_EQ(UrlPort("HTTPS://Api.Example.com:8443/a?b=c"), 8443);
  EXPECT_EQ(UrlPath("HTTPS://Api.Example.com:8443/a?b=c"), "/a?b=c");

  EXPECT_EQ(UrlPort("https://secure.example"), 443);
  EXPECT_EQ(UrlPort("http://h:8080/x"), 8080);
  EXPECT_EQ(UrlPath("http://h:8080/x"), "/x");
  EXPECT_EQ(UrlPort("example.com/x"), 80);
  EXPECT_EQ(UrlHost("example.com/x"), "example.com");
  EXPECT_EQ(UrlPath("example.com/x"), "/x");
}

TEST(UrlParts, AUrlEndingAtItsHostAsksForTheRoot) {
  EXPECT_EQ(UrlPath("http://example.com"), "/");
  EXPECT_EQ(UrlPath("https://example.com:444"), "/");
}

TEST(UrlParts, AShortHostIsNotFoundInsideTheScheme) {
  EXPECT_EQ(UrlPath("http://h/x"), "/x");
  EXPECT_EQ(UrlPath("https://tp:81/y?z"), "/y?z");
  EXPECT_EQ(UrlPath("http://s"), "/");
}

TEST(UrlParts, PortDigitsAreReadAsFarAsTheyGo) {
  EXPECT_EQ(UrlPort("http://h:81x/"), 81);
  EXPECT_EQ(UrlPort("http://h:/"), 0);
  EXPECT_GT(UrlPort("http://h:70000/"), 65535);
  EXPECT_GT(UrlPort("http://h:99999999999999999999/"), 65535);
}

// 2024-02-29 08:49:37 GMT as a variant date.
constexpr double kLeapDayGmt = 45351 + (8 * 3600 + 49 * 60 + 37) / 86400.0;

TEST(ParseHttpDate, ReadsAllThreeFormsAlike) {
  for (const char* text : {" Thu, 29 Feb 2024 08:49:37 GMT", "Thursday, 29-Feb-24 08:49:37 GMT",
                           "Thu Feb 29 08:49:37 2024", "29 Feb 2024 08:49:37 GMT"}) {
    auto date = ParseHttpDate(text, /*untouched=*/true);
    ASSERT_TRUE(date) << text;
    EXPECT_NEAR(*date, kLeapDayGmt, 1e-9) << text;
  }
  EXPECT_TRUE(ParseHttpDate("Sun Nov  6 08:49:37 1994"));
}

TEST(ParseHttpDate, AddsEightHoursUnlessAskedNotTo) {
  auto date = ParseHttpDate("Thu, 29 Feb 2024 20:00:00 GMT");
  ASSERT_TRUE(date);
  EXPECT_NEAR(*date, 45352 + 4 / 24.0, 1e-9) << "the next day, 04:00";
}

TEST(ParseHttpDate, RefusesWhatIsNoDate) {
  for (const char* text : {"", " ", "garbage", "Thu, 30 Feb 2024 08:49:37 GMT",
                           "Mon, 29 Feb 2023 08:49:37 GMT", "Thu, 29 Feb 2024 24:00:00 GMT",
                           "Thu, 29 Feb 2024 08:60:00 GMT", "Thu, 29 Foo 2024 08:49:37",
                           "Thu, 29 Feb 2024 08:49:37 PST", "Thu, 29 Feb 2024 08:49:37 GMT extra",
                           "Thu, 29 Feb 20245 08:49:37 GMT", "Thu, 29 Feb 2024 8::37 GMT",
                           "Thu, 29 Feb 0099 01:00:00", "Thu, 29 Feb 2024 08:49:37 GMT\xD5\x5C"}) {
    EXPECT_FALSE(ParseHttpDate(text)) << text;
  }
}

TEST(ParseHttpDate, ReadsTwoDigitYearsAroundTheirCentury) {
  EXPECT_NEAR(*ParseHttpDate("Sunday, 06-Nov-94 00:00:00 GMT", true), 34644, 1e-9);
  EXPECT_NEAR(*ParseHttpDate("Wednesday, 01-Jan-30 00:00:00 GMT", true), 47484, 1e-9);
}

TEST(DateHeaderValue, TakesTheLineNamedDate) {
  EXPECT_EQ(DateHeaderValue("X-Origin-Date: Mon\r\ndate: Tue, 1 Jan 2030 00:00:00 GMT\r\n\r\n"),
            "Tue, 1 Jan 2030 00:00:00 GMT");
  EXPECT_FALSE(DateHeaderValue("Update: x\r\n\r\n"));
}

}  // namespace
}  // namespace net
