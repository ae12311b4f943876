// The OCR client over the program's own HTTP route against the stand-in of the service, on a
// local HTTPS server whose certificate the client verifies: the key test and its storing rule,
// keys that hold query signs, a screenshot from BMP bytes to keyword, the expired token fetched
// again, and a service that cannot be reached. The same suite runs natively and under Wine.
#include <gtest/gtest.h>

#include <filesystem>

#include "../platform/bmp_image.h"
#include "../platform/fresh_folder.h"
#include "capture/ocr_client.h"
#include "capture/ocr_inet_transport.h"
#include "capture/ocr_settings.h"
#include "ocr_standin.h"
#include "platform/cp936.h"

namespace fs = std::filesystem;
using capture::KeyTestOutcome, capture::RecognitionOutcome, capture::TokenFetchOutcome;
using testsupport::OcrScenario, testsupport::TestServer;

namespace {

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

std::string screenshotBmp(int width, int height) {
  bmp::Picture picture{width, height, {}};
  for (int i = 0; i < width * height; ++i)
    picture.pixels.push_back({std::uint8_t(i * 7), std::uint8_t(i * 3), std::uint8_t(255 - i)});
  return bmp::write(picture);
}

class OcrServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = TestServer::current();
    if (!server) GTEST_SKIP() << "not started under the test server";
    scenario.tag =
        testsupport::uniqueTag(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  capture::OcrClient client(std::string_view listener = "https") {
    return {capture::internetOcrTransport(), runDir, scenario.baseUrl(*server, listener)};
  }
  std::size_t requestCount() const { return server->requestsFor(scenario.tag).size(); }

  const TestServer* server = nullptr;
  OcrScenario scenario;
  fs::path runDir = freshFolder("ocr-service");
};

TEST_F(OcrServiceTest, KeyTestJudgesWhatCameBackAndStoresUnlessAKeyIsNamed) {
  // Token refusals come with status 401; a refusal that names neither key, a dropped
  // connection, a refused port and a certificate nobody trusts are no success either, yet what
  // was typed is kept.
  struct Case {
    const char* what;
    std::string apiKey, tokenError, drop, listener;
    KeyTestOutcome outcome;
  };
  const Case cases[] = {
      {"wrong API Key", "other", "", "", "https", KeyTestOutcome::kWrongApiKey},
      {"token", "api-key", "", "", "https", KeyTestOutcome::kKeysAccepted},
      {"other refusal", "api-key", "invalid_grant", "", "https", KeyTestOutcome::kNoTokenInReply},
      {"dropped", "api-key", "", "token", "https", KeyTestOutcome::kServiceUnreachable},
      {"refused port", "api-key", "", "", "refused", KeyTestOutcome::kServiceUnreachable},
      {"untrusted", "api-key", "", "", "untrusted", KeyTestOutcome::kServiceUnreachable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(capture::StoreOcrKeys(runDir, {"old-api", "old-secret"}));
    scenario.tokenError = c.tokenError;
    scenario.drop = c.drop;
    auto ocr = client(c.listener);
    const auto result = ocr.TestOcrKeys(c.apiKey, "secret-key");
    EXPECT_EQ(result.outcome, c.outcome);
    const bool stored = c.outcome != KeyTestOutcome::kWrongApiKey;
    EXPECT_EQ(result.keysStored, stored);
    EXPECT_EQ(capture::LoadOcrSettings(runDir).apiKey, stored ? c.apiKey : "old-api");
    EXPECT_EQ(ocr.hasAccessToken(), c.outcome == KeyTestOutcome::kKeysAccepted);
  }
}

TEST_F(OcrServiceTest, KeysHoldingQuerySignsReachTheServiceAsTyped) {
  scenario.apiKey = "a&client_secret=x y";
  scenario.secretKey = "秘钥+/%=?#";
  auto ocr = client();
  EXPECT_EQ(ocr.TestOcrKeys(scenario.apiKey, gbk(scenario.secretKey.c_str())).outcome,
            KeyTestOutcome::kKeysAccepted);
  // The stored keys fetch a token too.
  auto later = client();
  EXPECT_EQ(later.FetchAccessToken(), TokenFetchOutcome::kFetched);
  EXPECT_TRUE(later.hasAccessToken());
}

TEST_F(OcrServiceTest, AScreenshotBecomesTheJoinedLines) {
  scenario.lines = {"中国的", "首都", "是哪里？", "a+b=c"};
  scenario.width = 37;
  scenario.height = 23;
  auto ocr = client();
  ASSERT_EQ(ocr.TestOcrKeys("api-key", "secret-key").outcome, KeyTestOutcome::kKeysAccepted);
  const auto recognition = ocr.RecognizeScreenshot(screenshotBmp(37, 23));
  ASSERT_EQ(recognition.outcome, RecognitionOutcome::kRecognized);
  EXPECT_EQ(recognition.text, gbk("中国的首都是哪里？a+b=c"));
  ASSERT_EQ(recognition.lines.size(), 4u);
  EXPECT_EQ(recognition.lines[1], gbk("首都"));

  const auto requests = server->requestsFor(scenario.tag);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].method, "POST");
  EXPECT_EQ(requests[1].body.substr(0, 6), "image=");
}

TEST_F(OcrServiceTest, AnExpiredTokenIsFetchedAgainOnceAndOnlyOnce) {
  scenario.lines = {"abc"};
  scenario.expire = 1;
  auto ocr = client();
  ASSERT_EQ(ocr.TestOcrKeys("api-key", "secret-key").outcome, KeyTestOutcome::kKeysAccepted);
  EXPECT_EQ(ocr.RecognizeScreenshot(screenshotBmp(8, 8)).text, "abc");
  EXPECT_EQ(requestCount(), 4u) << "token, refused recognition, token, recognition";
  // The new token serves the next picture without another token request.
  EXPECT_EQ(ocr.RecognizeScreenshot(screenshotBmp(8, 8)).text, "abc");
  EXPECT_EQ(requestCount(), 5u);

  scenario.tag += "-always";
  scenario.expire = 100;
  auto refused = client();
  ASSERT_EQ(refused.TestOcrKeys("api-key", "secret-key").outcome, KeyTestOutcome::kKeysAccepted);
  EXPECT_EQ(refused.RecognizeScreenshot(screenshotBmp(8, 8)).outcome,
            RecognitionOutcome::kTokenRejected);
  EXPECT_EQ(requestCount(), 4u) << "one new token and one more try, no loop";
}

TEST_F(OcrServiceTest, ARecognitionThatGetsNoAnswerSaysSo) {
  scenario.drop = "recognition";
  auto ocr = client();
  ASSERT_EQ(ocr.TestOcrKeys("api-key", "secret-key").outcome, KeyTestOutcome::kKeysAccepted);
  EXPECT_EQ(ocr.RecognizeScreenshot(screenshotBmp(8, 8)).outcome,
            RecognitionOutcome::kServiceUnreachable);
  EXPECT_TRUE(ocr.hasAccessToken()) << "a lost answer says nothing against the token";
}

}  // namespace
