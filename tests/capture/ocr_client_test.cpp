// The OCR client against a scripted service: the exact requests, what each reply means, what is
// stored, and the access token's life.
#include "capture/ocr_client.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "../platform/bmp_image.h"
#include "../platform/fresh_folder.h"
#include "capture/ocr_requests.h"
#include "capture/ocr_settings.h"
#include "platform/cp936.h"
#include "platform/files.h"
#include "platform/image_codec.h"

namespace fs = std::filesystem;
using capture::KeyTestOutcome, capture::OcrHttpReply, capture::OcrHttpRequest,
    capture::RecognitionOutcome, capture::TokenFetchOutcome;

namespace {

constexpr const char* kService = "https://ocr.test";
constexpr const char* kTokenPath = "https://ocr.test/oauth/2.0/token?";
constexpr const char* kRecognitionPath =
    "https://ocr.test/rest/2.0/ocr/v1/general_basic?access_token=";

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

OcrHttpReply reply(std::string body, int status = 200) { return {true, status, std::move(body)}; }
const OcrHttpReply kUnreachable{};
const OcrHttpReply kToken =
    reply(R"({"access_token":"24.new-token.2592000","expires_in":2592000})");
const OcrHttpReply kUnknownClient =
    reply(R"({"error":"invalid_client","error_description":"unknown client id"})", 401);
const OcrHttpReply kBadSecret =
    reply(R"({"error":"invalid_client","error_description":"Client authentication failed"})", 401);
const OcrHttpReply kExpired = reply(R"({"error_code":111,"error_msg":"Access token expired"})");
const OcrHttpReply kLinesABC = reply(
    R"({"log_id":1,"words_result":[{"words":"a"},{"words":"b"},{"words":"c"}],"words_result_num":3})");

// Answers requests in order from a script, and keeps every request it saw.
struct FakeService {
  std::deque<OcrHttpReply> script;
  std::vector<OcrHttpRequest> requests;

  capture::OcrTransport transport() {
    return [this](const OcrHttpRequest& request) {
      requests.push_back(request);
      if (script.empty()) return kUnreachable;
      OcrHttpReply next = script.front();
      script.pop_front();
      return next;
    };
  }
};

class OcrClientTest : public ::testing::Test {
 protected:
  fs::path runDir = freshFolder("ocr-client");
  FakeService service;
  capture::OcrClient client{service.transport(), runDir, kService};

  // A client that holds a token from a passed key test, with the keys stored.
  void holdToken(const char* token = "24.old-token") {
    service.script.push_back(reply(std::string(R"({"access_token":")") + token + "\"}"));
    ASSERT_EQ(client.TestOcrKeys("ApiKey1", "Secret1").outcome, KeyTestOutcome::kKeysAccepted);
    service.requests.clear();
  }
};

std::string percentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += char(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += text[i] == '+' ? ' ' : text[i];
    }
  }
  return out;
}

std::string base64Decoded(std::string_view text) {
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned bits = 0, count = 0;
  for (char c : text) {
    if (c == '=') break;
    bits = bits << 6 | unsigned(alphabet.find(c));
    if ((count += 6) >= 8) out += char(bits >> (count -= 8) & 0xFF);
  }
  return out;
}

TEST_F(OcrClientTest, TokenRequestCarriesTheKeysUrlEncoded) {
  service.script = {kToken, kToken, kToken};
  client.TestOcrKeys("AbC123", "xyz789");
  client.TestOcrKeys("a&b=c d", gbk("密钥"));
  client.TestOcrKeys("", "");  // empty fields still ask; the reply decides
  ASSERT_EQ(service.requests.size(), 3u);
  EXPECT_EQ(service.requests[0].method, OcrHttpRequest::Method::kGet);
  EXPECT_EQ(service.requests[0].url, std::string(kTokenPath) +
                                         "grant_type=client_credentials&client_id=AbC123"
                                         "&client_secret=xyz789");
  EXPECT_EQ(service.requests[1].url, std::string(kTokenPath) +
                                         "grant_type=client_credentials&client_id=a%26b%3Dc+d"
                                         "&client_secret=%E5%AF%86%E9%92%A5");
  EXPECT_EQ(service.requests[2].url,
            std::string(kTokenPath) + "grant_type=client_credentials&client_id=&client_secret=");
}

TEST_F(OcrClientTest, RecognitionSendsTheScreenshotAsJpegInAForm) {
  holdToken("24.a/b+c");
  const std::string screenshot = bmp::write(bmp::solid(40, 12, {0, 0, 0, 255}));
  service.script = {kLinesABC};
  client.RecognizeScreenshot(screenshot);
  ASSERT_EQ(service.requests.size(), 1u);
  const OcrHttpRequest& sent = service.requests[0];
  EXPECT_EQ(sent.method, OcrHttpRequest::Method::kPost);
  EXPECT_EQ(sent.url, std::string(kRecognitionPath) + "24.a%2Fb%2Bc");
  ASSERT_TRUE(sent.body.starts_with("image="));
  const std::string field = sent.body.substr(6);
  EXPECT_EQ(field.find_first_of("+/= "), std::string::npos) << "Base64 signs are encoded";
  const std::string jpeg = base64Decoded(percentDecoded(field));
  ASSERT_TRUE(jpeg.starts_with("\xFF\xD8\xFF"));
  auto picture = bmp::read(platform::encodeImage(jpeg, platform::ImageFormat::kBmp, false).bytes);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 40);
  EXPECT_EQ(picture->height, 12);
}

TEST_F(OcrClientTest, KeyTestStoresTheKeysOnlyWhenTheyWorkOrNothingDidBefore) {
  ASSERT_TRUE(capture::StoreOcrKeys(runDir, {"OldApi", "OldSecret"}));
  struct Case {
    OcrHttpReply reply;
    KeyTestOutcome outcome;
    bool stored, token;
  };
  const Case cases[] = {
      {kUnknownClient, KeyTestOutcome::kWrongApiKey, false, false},
      {kBadSecret, KeyTestOutcome::kWrongSecretKey, false, false},
      {kToken, KeyTestOutcome::kKeysAccepted, true, true},
      // No token: the settings that gave the one held stay, with it.
      {kUnreachable, KeyTestOutcome::kServiceUnreachable, false, true},
      {reply(R"({"error":"invalid_client","error_description":"Client id expired"})", 401),
       KeyTestOutcome::kNoTokenInReply, false, true},
      {reply("<html>proxy error</html>", 502), KeyTestOutcome::kNoTokenInReply, false, true},
      {reply(R"({"access_token":12345})"), KeyTestOutcome::kNoTokenInReply, false, true},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(capture::StoreOcrKeys(runDir, {"OldApi", "OldSecret"}));
    service.script = {kToken};
    client.TestOcrKeys("OldApi", "OldSecret");  // a token held before the test
    service.script = {c.reply};
    auto result = client.TestOcrKeys("NewApi", gbk("新密钥"));
    EXPECT_EQ(result.outcome, c.outcome) << c.reply.body;
    EXPECT_EQ(result.keysStored, c.stored) << c.reply.body;
    EXPECT_EQ(result.previousKept, c.token && !c.stored) << c.reply.body;
    auto keys = capture::LoadOcrSettings(runDir);
    EXPECT_EQ(keys.apiKey, c.stored ? "NewApi" : "OldApi") << c.reply.body;
    EXPECT_EQ(keys.secretKey, c.stored ? gbk("新密钥") : "OldSecret") << c.reply.body;
    // A named wrong key or an unjudged pair leaves the old token; new keys bring their own.
    EXPECT_TRUE(client.hasAccessToken()) << c.reply.body;
  }

  // With no token held, nothing works that typed keys could spoil: they are kept, unjudged.
  capture::OcrClient fresh(service.transport(), runDir, kService);
  service.script = {kUnreachable};
  auto result = fresh.TestOcrKeys("OfflineApi", "OfflineSecret");
  EXPECT_EQ(result.outcome, KeyTestOutcome::kServiceUnreachable);
  EXPECT_TRUE(result.keysStored);
  EXPECT_FALSE(result.previousKept);
  EXPECT_EQ(capture::LoadOcrSettings(runDir).apiKey, "OfflineApi");
  EXPECT_FALSE(fresh.hasAccessToken());
}

TEST_F(OcrClientTest, AKeyTestWithoutATokenKeepsOneAFetchStoredMeanwhile) {
  ASSERT_TRUE(capture::StoreOcrKeys(runDir, {"Api", "Secret"}));
  // The key test's request waits; a token fetch on another thread ends first.
  std::unique_ptr<capture::OcrClient> racing;
  bool fetchedDuringTest = false;
  auto transport = [&](const OcrHttpRequest& request) -> OcrHttpReply {
    if (fetchedDuringTest) return kToken;
    fetchedDuringTest = true;
    std::thread fetch([&] { EXPECT_EQ(racing->FetchAccessToken(), TokenFetchOutcome::kFetched); });
    fetch.join();
    (void)request;
    return kUnreachable;
  };
  racing = std::make_unique<capture::OcrClient>(transport, runDir, kService);
  EXPECT_EQ(racing->TestOcrKeys("Api", "Secret").outcome, KeyTestOutcome::kServiceUnreachable);
  EXPECT_TRUE(racing->hasAccessToken());
}

TEST_F(OcrClientTest, KeyTestSaysWhenTheKeysCouldNotBeStored) {
  fs::create_directory(capture::settingsFilePath(runDir));  // a folder holds the name
  service.script = {kToken};
  auto result = client.TestOcrKeys("Api", "Secret");
  EXPECT_EQ(result.outcome, KeyTestOutcome::kKeysAccepted);
  EXPECT_FALSE(result.keysStored);
}

TEST_F(OcrClientTest, FetchingATokenNeedsBothStoredKeys) {
  EXPECT_EQ(client.FetchAccessToken(), TokenFetchOutcome::kNoStoredKeys);  // no file
  ASSERT_TRUE(capture::StoreOcrKeys(runDir, {"Api", ""}));
  EXPECT_EQ(client.FetchAccessToken(), TokenFetchOutcome::kNoStoredKeys);
  // A value edited by hand fails the check and reads as no key.
  ASSERT_TRUE(platform::writeFileAtomic(capture::settingsFilePath(runDir),
                                        gbk("[百度识别]\r\nAPI Key=4142\r\nSecret Key=4344\r\n")));
  EXPECT_EQ(client.FetchAccessToken(), TokenFetchOutcome::kNoStoredKeys);
  EXPECT_TRUE(service.requests.empty());
}

TEST_F(OcrClientTest, FetchingATokenJudgesTheReply) {
  ASSERT_TRUE(capture::StoreOcrKeys(runDir, {"Api", "Secret"}));
  service.script = {kUnknownClient, kBadSecret, kUnreachable, reply("{}"), kToken};
  EXPECT_EQ(client.FetchAccessToken(), TokenFetchOutcome::kWrongApiKey);
  EXPECT_EQ(client.FetchAccessToken(), TokenFetchOutcome::kWrongSecretKey);
  EXPECT_EQ(client.FetchAccessToken(), TokenFetchOutcome::kServiceUnreachable);
  EXPECT_EQ(client.FetchAccessToken(), TokenFetchOutcome::kNoTokenInReply);
  EXPECT_FALSE(client.hasAccessToken());
  EXPECT_EQ(client.FetchAccessToken(), TokenFetchOutcome::kFetched);
  EXPECT_TRUE(client.hasAccessToken());
  EXPECT_EQ(service.requests.back().url, std::string(kTokenPath) +
                                             "grant_type=client_credentials&client_id=Api"
                                             "&client_secret=Secret");
}

TEST_F(OcrClientTest, RecognitionTellsTextNoTextAndFailureApart) {
  const std::string screenshot = bmp::write(bmp::solid(8, 8, {255, 255, 255, 255}));
  EXPECT_EQ(client.RecognizeScreenshot(screenshot).outcome, RecognitionOutcome::kNoToken);
  holdToken();
  EXPECT_EQ(client.RecognizeScreenshot("").outcome, RecognitionOutcome::kNoImage);
  EXPECT_TRUE(service.requests.empty()) << "neither asks the service";

  service.script = {kLinesABC,
                    reply(R"({"words_result":[{"words":"第一行"},{"words":" 2 "}]})"),
                    reply(R"({"words_result":[],"words_result_num":0})"),
                    reply(R"({"words_result":[{"words":""}]})"),
                    reply(R"({"error_code":216201,"error_msg":"image format error"})"),
                    reply("not json at all"),
                    kUnreachable};
  auto abc = client.RecognizeScreenshot(screenshot);
  EXPECT_EQ(abc.outcome, RecognitionOutcome::kRecognized);
  EXPECT_EQ(abc.text, "abc");
  auto chinese = client.RecognizeScreenshot(screenshot);
  EXPECT_EQ(chinese.text, gbk("第一行") + " 2 ");
  EXPECT_EQ(chinese.lines.size(), 2u);
  EXPECT_EQ(client.RecognizeScreenshot(screenshot).outcome, RecognitionOutcome::kNoText);
  EXPECT_EQ(client.RecognizeScreenshot(screenshot).outcome, RecognitionOutcome::kNoText);
  EXPECT_EQ(client.RecognizeScreenshot(screenshot).outcome, RecognitionOutcome::kServiceError);
  EXPECT_EQ(client.RecognizeScreenshot(screenshot).outcome, RecognitionOutcome::kServiceError);
  EXPECT_EQ(client.RecognizeScreenshot(screenshot).outcome,
            RecognitionOutcome::kServiceUnreachable);
  EXPECT_TRUE(client.hasAccessToken()) << "only a refused token is dropped";
}

TEST_F(OcrClientTest, APictureThatCannotBeReencodedIsSentAsItIs) {
  holdToken();
  service.script = {kLinesABC};
  client.RecognizeScreenshot("not a picture");
  ASSERT_EQ(service.requests.size(), 1u);
  EXPECT_EQ(base64Decoded(percentDecoded(service.requests[0].body.substr(6))), "not a picture");
}

TEST_F(OcrClientTest, EachRecognitionWorksOnItsOwnCopy) {
  holdToken();
  const std::string screenshot = bmp::write(bmp::solid(4, 4, {9, 9, 9, 255}));
  std::string captured = screenshot;
  service.script = {kLinesABC};
  client.RecognizeScreenshot(captured);
  EXPECT_EQ(captured, screenshot) << "the caller's picture is not replaced by its JPEG";
}

TEST_F(OcrClientTest, AnExpiredTokenIsFetchedAgainOnce) {
  holdToken("24.old-token");
  const std::string screenshot = bmp::write(bmp::solid(8, 8, {255, 255, 255, 255}));
  service.script = {kExpired, kToken, kLinesABC};
  auto result = client.RecognizeScreenshot(screenshot);
  EXPECT_EQ(result.outcome, RecognitionOutcome::kRecognized);
  EXPECT_EQ(result.text, "abc");
  ASSERT_EQ(service.requests.size(), 3u);
  EXPECT_EQ(service.requests[0].url, std::string(kRecognitionPath) + "24.old-token");
  EXPECT_TRUE(service.requests[1].url.starts_with(kTokenPath));
  EXPECT_EQ(service.requests[2].url, std::string(kRecognitionPath) + "24.new-token.2592000");
  EXPECT_EQ(service.requests[2].body, service.requests[0].body);

  // Refused again after the new token: no third try, and no token kept.
  service.requests.clear();
  service.script = {reply(R"({"error_code":110,"error_msg":"Access token invalid"})"), kToken,
                    kExpired};
  EXPECT_EQ(client.RecognizeScreenshot(screenshot).outcome, RecognitionOutcome::kTokenRejected);
  EXPECT_EQ(service.requests.size(), 3u);
  EXPECT_FALSE(client.hasAccessToken());

  // A new token that cannot be had ends the recognition.
  holdToken();
  service.script = {kExpired, kUnknownClient};
  EXPECT_EQ(client.RecognizeScreenshot(screenshot).outcome, RecognitionOutcome::kTokenRejected);
  holdToken();
  service.script = {kExpired, kUnreachable};
  EXPECT_EQ(client.RecognizeScreenshot(screenshot).outcome,
            RecognitionOutcome::kServiceUnreachable);
}

TEST(OcrClientThreads, RecognitionsOnSeveralThreadsEachSendTheirOwnPicture) {
  // The service answers with the size of the picture it received.
  std::mutex lock;
  int tokenRequests = 0;
  capture::OcrTransport transport = [&](const OcrHttpRequest& request) {
    if (request.method == OcrHttpRequest::Method::kGet) {
      std::lock_guard<std::mutex> guard(lock);
      ++tokenRequests;
      return kToken;
    }
    const std::string jpeg = base64Decoded(percentDecoded(request.body.substr(6)));
    auto picture = bmp::read(platform::encodeImage(jpeg, platform::ImageFormat::kBmp, false).bytes);
    if (!picture) return reply("{}");
    return reply(R"({"words_result":[{"words":")" + std::to_string(picture->width) + "x" +
                 std::to_string(picture->height) + "\"}]}");
  };
  capture::OcrClient client(transport, freshFolder("ocr-threads"), kService);
  ASSERT_EQ(client.TestOcrKeys("Api", "Secret").outcome, KeyTestOutcome::kKeysAccepted);

  std::vector<std::string> texts(6);
  std::vector<std::thread> threads;
  for (int i = 0; i < 6; ++i)
    threads.emplace_back([&, i] {
      texts[std::size_t(i)] =
          client.RecognizeScreenshot(bmp::write(bmp::solid(10 + i, 5, {1, 2, 3, 255}))).text;
    });
  for (auto& t : threads) t.join();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(texts[std::size_t(i)], std::to_string(10 + i) + "x5");
  EXPECT_EQ(tokenRequests, 1);
}

// Without the test setting, requests follow the address stored in the settings file.
class OcrClientAddressTest : public ::testing::Test {
 protected:
  fs::path runDir = freshFolder("ocr-client-address");
  FakeService service;
  capture::OcrClient client{service.transport(), runDir, ""};

  std::string lastUrl() const { return service.requests.back().url; }
};

TEST_F(OcrClientAddressTest, TheKeyTestGoesToTheTypedAddressAndStoresItOnlyWhenTaken) {
  EXPECT_EQ(client.serviceAddress(), capture::kOcrServiceUrl) << "the provider's by default";

  // Refused before anything is sent: the keys must not travel in the clear.
  EXPECT_EQ(client.TestOcrKeys("Api", "Secret", "http://192.168.1.5:8866").outcome,
            KeyTestOutcome::kAddressNeedsHttps);
  EXPECT_EQ(client.TestOcrKeys("Api", "Secret", "127.0.0.1:8866").outcome,
            KeyTestOutcome::kAddressMalformed);
  EXPECT_TRUE(service.requests.empty());
  EXPECT_FALSE(fs::exists(capture::settingsFilePath(runDir)));

  // A key named wrong stores neither the keys nor the address.
  service.script = {kUnknownClient};
  EXPECT_EQ(client.TestOcrKeys("Api", "Secret", "https://ocr.example.com").outcome,
            KeyTestOutcome::kWrongApiKey);
  EXPECT_TRUE(lastUrl().starts_with("https://ocr.example.com/oauth/2.0/token?"));
  EXPECT_EQ(capture::LoadOcrServiceAddress(runDir), "");

  service.script = {kToken};
  EXPECT_EQ(client.TestOcrKeys("Api", "Secret", "http://127.0.0.1:8866/").outcome,
            KeyTestOutcome::kKeysAccepted);
  EXPECT_TRUE(lastUrl().starts_with("http://127.0.0.1:8866/oauth/2.0/token?"));
  EXPECT_EQ(capture::LoadOcrServiceAddress(runDir), "http://127.0.0.1:8866");
  EXPECT_TRUE(client.hasAccessToken());

  service.script = {kLinesABC};
  EXPECT_EQ(client.RecognizeScreenshot(bmp::write(bmp::solid(4, 4, {9, 9, 9, 255}))).text, "abc");
  EXPECT_TRUE(lastUrl().starts_with("http://127.0.0.1:8866/rest/2.0/ocr/v1/general_basic?"));
}

TEST_F(OcrClientAddressTest, ANewStoredAddressGetsATokenOfItsOwnWithoutARestart) {
  service.script = {kToken};
  ASSERT_EQ(client.TestOcrKeys("Api", "Secret", "http://localhost:8866").outcome,
            KeyTestOutcome::kKeysAccepted);
  // Another program (the command line) stores another address meanwhile.
  ASSERT_TRUE(capture::StoreOcrKeys(runDir, {"Api", "Secret"}, "https://ocr.example.com"));
  EXPECT_FALSE(client.hasAccessToken()) << "the old token belongs to the old service";
  service.requests.clear();
  service.script = {reply(R"({"access_token":"24.second"})"), kLinesABC};
  EXPECT_EQ(client.RecognizeScreenshot(bmp::write(bmp::solid(4, 4, {9, 9, 9, 255}))).outcome,
            RecognitionOutcome::kRecognized);
  ASSERT_EQ(service.requests.size(), 2u);
  EXPECT_TRUE(service.requests[0].url.starts_with("https://ocr.example.com/oauth/2.0/token?"));
  EXPECT_EQ(service.requests[1].url,
            "https://ocr.example.com/rest/2.0/ocr/v1/general_basic?access_token=24.second");
}

TEST(OcrClientFixedAddress, TheTestSettingWinsOverTheStoredAddress) {
  const fs::path runDir = freshFolder("ocr-client-fixed");
  ASSERT_TRUE(capture::StoreOcrKeys(runDir, {"Api", "Secret"}, "https://ocr.example.com"));
  FakeService service;
  capture::OcrClient client{service.transport(), runDir, kService};
  service.script = {kToken};
  EXPECT_EQ(client.TestOcrKeys("Api", "Secret", "http://127.0.0.1:1").outcome,
            KeyTestOutcome::kKeysAccepted);
  EXPECT_TRUE(service.requests.back().url.starts_with(kTokenPath));
  EXPECT_EQ(capture::LoadOcrServiceAddress(runDir), "http://127.0.0.1:1");
  EXPECT_TRUE(client.hasAccessToken());
}

}  // namespace
