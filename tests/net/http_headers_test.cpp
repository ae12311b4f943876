#include "net/http_headers.h"

#include <gtest/gtest.h>

#include "net/http_cookies.h"

namespace net {
namespace {

TEST(HeaderNameAndValue, SplitAtTheFirstColonAndTrimSpaces) {
  EXPECT_EQ(HeaderName("  Host :  a:8080 "), "Host");
  EXPECT_EQ(HeaderValue("  Host :  a:8080 "), "a:8080");
  EXPECT_EQ(HeaderName("no colon"), "");
  EXPECT_EQ(HeaderValue("no colon"), "");
  // The colon must be a character of its own, not the trail byte of one (none is ':', but a
  // GBK character before it must not swallow it either).
  EXPECT_EQ(HeaderName("\xD5\x5C:v"), "\xD5\x5C");
}

TEST(NormaliseHeaderNames, CapitalisesEachPartOfTheName) {
  EXPECT_EQ(NormaliseHeaderNames("content-type: text/plain\r\nx-REQUESTED-with: a-b"),
            "Content-Type: text/plain\r\nX-REQUESTED-With: a-b");
  // Only the name changes; the value and the spacing after the colon stay as they were.
  EXPECT_EQ(NormaliseHeaderNames("accept:text/html"), "Accept:text/html");
  EXPECT_EQ(NormaliseHeaderNames("-x--y: 1"), "-X--Y: 1");
}

TEST(NormaliseHeaderNames, DropsLinesWithoutAColonAndEmptyLines) {
  EXPECT_EQ(NormaliseHeaderNames("\r\nbroken\r\na: 1\r\n\r\nb: 2\r\n"), "A: 1\r\nB: 2");
  EXPECT_EQ(NormaliseHeaderNames("nothing here"), "");
  EXPECT_EQ(NormaliseHeaderNames(""), "");
}

TEST(NormaliseHeaderNames, LeavesDoubleByteNamesAlone) {
  // 丄 is 81 41: its trail byte is "A" and a lead byte is no letter to upper-case.
  EXPECT_EQ(NormaliseHeaderNames("\x81\x41-b: 1"), "\x81\x41-B: 1");
}

TEST(CompleteStandardHeaders, AddsWhatIsMissingInOrder) {
  EXPECT_EQ(CompleteStandardHeaders("", "http://h/p", true, false),
            "\r\nAccept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn"
            "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
  EXPECT_EQ(CompleteStandardHeaders("X: 1", "u", false, true),
            "X: 1\r\nAccept: */*\r\nReferer: u\r\nAccept-Language: zh-cn"
            "\r\nContent-Type: application/x-www-form-urlencoded");
}

TEST(CompleteStandardHeaders, SearchesTheWholeTextIgnoringCase) {
  std::string text = "accept: text/html\r\nX-Note: referer: elsewhere";
  EXPECT_EQ(CompleteStandardHeaders(text, "u", false, false), text + "\r\nAccept-Language: zh-cn");
}

TEST(CollectResponseCookies, TakesTheNameValueOfEachSetCookieLine) {
  EXPECT_EQ(CollectResponseCookies("HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\n"
                                   "Set-Cookie: b=2\r\nX: Set-Cookie: c=3\r\n\r\n"),
            "a=1; b=2");
  EXPECT_EQ(CollectResponseCookies("Content-Type: text/html\r\n"), "");
  EXPECT_EQ(CollectResponseCookies(""), "");
}

TEST(CollectResponseCookies, LeavesOutEmptyItems) {
  EXPECT_EQ(CollectResponseCookies("Set-Cookie: a=1\r\nSet-Cookie: ;x\r\nSet-Cookie: "), "a=1");
}

TEST(CollectResponseCookies, MatchesTheHeaderNameInAnyCase) {
  // Gateways send field names in lower case; the space after the colon is optional.
  EXPECT_EQ(CollectResponseCookies("set-cookie: a=1\r\nSet-Cookie:b=2; path=/\r\n"
                                   "SET-COOKIE : c=3\r\nSet-Cookie2: d=4\r\nX-Set-Cookie: e=5"),
            "a=1; b=2; c=3");
}

TEST(MergeCookies, ReceivedOverrideSentAndDeletedDisappear) {
  EXPECT_EQ(MergeCookies("a=0; c=3", "a=1; b=2"), "a=1; b=2; c=3");
  EXPECT_EQ(MergeCookies("a=0; c=3", "a=1; c=deleted"), "a=1");
  EXPECT_EQ(MergeCookies(" a=0; ", "b=1;"), "b=1; a=0");
  EXPECT_EQ(MergeCookies("x=1; x=1", ""), "x=1");
  EXPECT_EQ(MergeCookies("a=1; a=2", ""), "a=1") << "a sent name counts once";
}

TEST(MergeCookies, NeverLeavesAStraySeparator) {
  EXPECT_EQ(MergeCookies("", "a=1"), "a=1");
  EXPECT_EQ(MergeCookies("a=1", ""), "a=1");
  EXPECT_EQ(MergeCookies("", ""), "");
  EXPECT_EQ(MergeCookies("a=1;", "b=2; ; c=3"), "b=2; c=3; a=1");
}

TEST(MergeCookies, ComparesNamesExactlyAndByWholeCharacters) {
  EXPECT_EQ(MergeCookies("A=0", "a=1"), "a=1; A=0");
  // 乗 (81 5C) then "=": the name is the whole character, and "=" is found after it.
  EXPECT_EQ(MergeCookies("\x81\x5C=1", "\x81\x5C=2"), "\x81\x5C=2");
}

TEST(RemoveDuplicateItems, KeepsTheFirstOfEach) {
  EXPECT_EQ(RemoveDuplicateItems("a; b; a; c; b", "; "), "a; b; c");
  EXPECT_EQ(RemoveDuplicateItems("", "; "), "");
}

}  // namespace
}  // namespace net
