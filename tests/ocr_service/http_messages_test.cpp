// Reading request heads as they arrive: complete ones give what the service needs, partial ones
// wait, and anything unbounded or ambiguous is refused with the right status.
#include "ocr_service/http_messages.h"

#include <gtest/gtest.h>

using namespace ocr_service;

namespace {

TEST(RequestHeadTest, ReadsWhatTheServiceNeedsFromACompleteHead) {
  const std::string text =
      "POST /rest/2.0/ocr/v1/general_basic?access_token=T HTTP/1.1\r\n"
      "Host: x\r\ncontent-TYPE:  application/x-www-form-urlencoded \r\n"
      "Content-Length: 12\r\nContent-Length: 12\r\nExpect: 100-Continue\r\n\r\nimage=abcdef";
  const HeadReading reading = readRequestHead(text);
  ASSERT_EQ(reading.state, HeadState::kComplete);
  EXPECT_EQ(text.substr(reading.headBytes), "image=abcdef");
  EXPECT_EQ(reading.head.method, "POST");
  EXPECT_EQ(pathOf(reading.head.target), "/rest/2.0/ocr/v1/general_basic");
  EXPECT_EQ(reading.head.contentType, "application/x-www-form-urlencoded");
  EXPECT_EQ(reading.head.contentLength, 12u);
  EXPECT_TRUE(reading.head.expectContinue);
  EXPECT_TRUE(reading.head.keepAlive);

  // Every prefix of a head is only incomplete, never refused.
  for (std::size_t length = 0; length < reading.headBytes; ++length)
    EXPECT_EQ(readRequestHead(text.substr(0, length)).state, HeadState::kIncomplete) << length;

  // Bare line feeds, a blank line left over before the request, HTTP/1.0 and its keep-alive.
  const HeadReading old = readRequestHead("\r\nGET /t HTTP/1.0\nConnection: Keep-Alive\n\n");
  ASSERT_EQ(old.state, HeadState::kComplete);
  EXPECT_TRUE(old.head.keepAlive);
  EXPECT_FALSE(readRequestHead("GET /t HTTP/1.0\r\n\r\n").head.keepAlive);
  EXPECT_FALSE(readRequestHead("GET /t HTTP/1.1\r\nConnection: TE, close\r\n\r\n").head.keepAlive);
}

TEST(RequestHeadTest, EndlessOrAmbiguousHeadsAreRefused) {
  struct Case {
    const char* what;
    std::string text;
    int status;
  };
  const std::string line = "X-Filler: " + std::string(1000, 'a') + "\r\n";
  const Case cases[] = {
      {"one endless line", "GET /t HTTP/1.1\r\nX: " + std::string(kMaxHeadBytes, 'a'), 431},
      {"too many short lines",
       "GET /t HTTP/1.1\r\n" +
           [] {
             std::string many;
             for (int i = 0; i < kMaxHeadLines; ++i) many += "X: 1\r\n";
             return many;
           }() +
           "\r\n",
       431},
      {"long lines past the byte bound",
       "GET /t HTTP/1.1\r\n" +
           [&] {
             std::string many;
             while (many.size() <= kMaxHeadBytes) many += line;
             return many;
           }(),
       431},
      {"two different lengths",
       "POST /t HTTP/1.1\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n", 400},
      {"a length with a sign", "POST /t HTTP/1.1\r\nContent-Length: +5\r\n\r\n", 400},
      {"chunked body", "POST /t HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 501},
      {"unknown expectation", "POST /t HTTP/1.1\r\nExpect: magic\r\n\r\n", 417},
      {"folded header", "GET /t HTTP/1.1\r\nX: 1\r\n  more\r\n\r\n", 400},
      {"space before colon", "GET /t HTTP/1.1\r\nX : 1\r\n\r\n", 400},
      {"no version", "GET /t\r\n\r\n", 400},
      {"HTTP/2 preface", "PRI * HTTP/2.0\r\n\r\n", 400},
      {"target without a slash", "GET http://x/t HTTP/1.1\r\n\r\n", 400},
  };
  for (const Case& c : cases) {
    const HeadReading reading = readRequestHead(c.text);
    EXPECT_EQ(reading.state, HeadState::kRefused) << c.what;
    EXPECT_EQ(reading.refusal, c.status) << c.what;
  }
  // A length past any limit saturates instead of wrapping round to something small.
  const HeadReading huge =
      readRequestHead("POST /t HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n");
  ASSERT_EQ(huge.state, HeadState::kComplete);
  EXPECT_EQ(huge.head.contentLength, UINT64_MAX);
}

}  // namespace
