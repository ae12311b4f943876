// The service over HTTP: the program's own OCR client gets a token and lines from it unchanged,
// requests run side by side, an oversized or broken request is refused without harm, and the
// real program reads drawn Chinese text in both colour schemes.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "../platform/bmp_image.h"
#include "../platform/fresh_folder.h"
#include "capture/ocr_client.h"
#include "net/inet_request.h"
#include "ocr_service/http_front.h"
#include "ocr_service/recognition_service.h"
#include "platform/cp936.h"
#include "platform/http_client.h"
#include "screen_text.h"
#include "service_process.h"

using namespace ocr_service;
using capture::KeyTestOutcome, capture::RecognitionOutcome;

namespace {

capture::OcrTransport programTransport() {
  return [](const capture::OcrHttpRequest& request) {
    net::InetRequestOptions options;
    options.url = request.url;
    options.method = request.method == capture::OcrHttpRequest::Method::kPost ? 1 : 0;
    options.body = request.body;
    capture::OcrHttpReply reply;
    reply.body = net::InetRequest(options);
    reply.status = options.status;
    reply.delivered = options.status != 0;
    return reply;
  };
}

std::string smallPicture() {
  bmp::Picture picture{80, 30, std::vector<bmp::Pixel>(80 * 30, bmp::Pixel{255, 255, 255})};
  for (int x = 10; x < 70; x += 3)
    for (int y = 10; y < 20; ++y) picture.pixels[std::size_t(y) * 80 + x] = bmp::Pixel{};
  return bmp::write(picture);
}

// A request the client would never send, straight through the HTTP service.
platform::InternetReply rawPost(int port, const std::string& path, const std::string& type,
                                std::string body) {
  platform::InternetExchange exchange;
  exchange.host = "127.0.0.1";
  exchange.port = port;
  exchange.method = "POST";
  exchange.path = path;
  exchange.headerText = "Content-Type: " + type;
  exchange.body = std::move(body);
  return platform::exchangeThroughInternet(exchange);
}

// The service in this process, with a recogniser that says what it was given.
class InProcessServiceTest : public ::testing::Test {
 protected:
  std::atomic<int> running{0}, mostAtOnce{0};
  std::chrono::milliseconds engineTime{0};
  RecognitionService service{{}, [this](const GreyPicture& picture, TextLanguage) {
                               const int now = ++running;
                               int seen = mostAtOnce;
                               while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
                               }
                               std::this_thread::sleep_for(engineTime);
                               --running;
                               return RecognizedText{true, {"宽" + std::to_string(picture.width)}};
                             }};
  HttpFront front{service, 8};
  std::string error;
  int port = front.bind("127.0.0.1", 0, error);
  std::thread server{[this] { front.run(); }};
  std::filesystem::path runDir = freshFolder("ocr-service-http");
  capture::OcrClient client{programTransport(), runDir, "http://127.0.0.1:" + std::to_string(port)};

  void SetUp() override { ASSERT_GT(port, 0) << error; }
  void TearDown() override {
    front.stop();
    server.join();
  }
};

TEST_F(InProcessServiceTest, TheProgramsClientWorksAgainstItUnchanged) {
  ASSERT_EQ(client.TestOcrKeys("any key", "any secret").outcome, KeyTestOutcome::kKeysAccepted);
  const capture::Recognition recognition = client.RecognizeScreenshot(smallPicture());
  ASSERT_EQ(recognition.outcome, RecognitionOutcome::kRecognized);
  EXPECT_EQ(cp936::toUtf8(recognition.text).rfind("宽", 0), 0u);

  // Keys the service cannot take are named as the provider names them.
  EXPECT_EQ(client.TestOcrKeys("", "secret").outcome, KeyTestOutcome::kWrongApiKey);
}

TEST_F(InProcessServiceTest, RequestsRunSideBySide) {
  ASSERT_EQ(client.TestOcrKeys("k", "s").outcome, KeyTestOutcome::kKeysAccepted);
  engineTime = std::chrono::milliseconds(300);
  std::atomic<int> recognised{0};
  std::vector<std::thread> users;
  for (int i = 0; i < 6; ++i)
    users.emplace_back([&] {
      recognised +=
          client.RecognizeScreenshot(smallPicture()).outcome == RecognitionOutcome::kRecognized;
    });
  for (std::thread& user : users) user.join();
  EXPECT_EQ(recognised, 6);
  EXPECT_GT(mostAtOnce, 1);
}

TEST_F(InProcessServiceTest, OversizedAndStrayRequestsAreRefusedAndServiceGoesOn) {
  ASSERT_EQ(client.TestOcrKeys("k", "s").outcome, KeyTestOutcome::kKeysAccepted);
  const std::string path = "/rest/2.0/ocr/v1/general_basic?access_token=" + service.accessToken();
  const auto oversized = rawPost(port, path, "application/x-www-form-urlencoded",
                                 "image=" + std::string(kMaxRequestBodyBytes + 1, 'A'));
  // Refused before it was read: a 413 with the provider's size error, or the connection cut
  // while the body was still being sent.
  if (oversized.status != 0) {
    EXPECT_EQ(oversized.status, 413) << oversized.body;
    EXPECT_NE(oversized.body.find("216202"), std::string::npos);
  }
  const auto wrongType = rawPost(port, path, "text/plain", "image=QUJD");
  EXPECT_EQ(wrongType.status, 200);
  EXPECT_NE(wrongType.body.find("\"error_code\":216100"), std::string::npos);
  const auto stray = rawPost(port, "/rest/2.0/ocr/v1/accurate", "text/plain", "x");
  EXPECT_EQ(stray.status, 404);
  EXPECT_NE(stray.body.find("\"error_code\":3"), std::string::npos);

  EXPECT_EQ(client.RecognizeScreenshot(smallPicture()).outcome, RecognitionOutcome::kRecognized);
}

TEST_F(InProcessServiceTest, TokensAreAnsweredAtOnceWhileEveryRecogniserIsBusy) {
  ASSERT_EQ(client.TestOcrKeys("k", "s").outcome, KeyTestOutcome::kKeysAccepted);
  engineTime = std::chrono::milliseconds(2000);
  std::vector<std::thread> users;
  for (int i = 0; i < 10; ++i)
    users.emplace_back([&] { client.RecognizeScreenshot(smallPicture()); });
  while (running < 8) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(client.TestOcrKeys("k", "s").outcome, KeyTestOutcome::kKeysAccepted);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  for (std::thread& user : users) user.join();
}

// Full-width forms as their ASCII letters, without spaces: a page may show either width.
std::u16string folded(std::u16string_view text) {
  std::u16string out;
  for (char16_t c : text)
    if (c != u' ') out += c >= 0xFF01 && c <= 0xFF5E ? char16_t(c - 0xFF01 + 0x21) : c;
  return out;
}

// The characters of the truth found in order in what was read, as a share of the truth.
double shareRead(std::u16string_view truth, std::u16string_view read) {
  const std::u16string want = folded(truth), seen = folded(read);
  std::size_t at = 0, found = 0;
  for (char16_t c : want) {
    const std::size_t next = seen.find(c, at);
    if (next != std::u16string::npos) ++found, at = next + 1;
  }
  return double(found) / double(want.size());
}

TEST(ServiceProgramTest, ReadsDrawnChineseTextInBothSchemesAndSurvivesBadPictures) {
  ocrtest::ServiceProcess process(QUORVIX_OCR_SERVICE, {"--threads", "2"});
  ASSERT_FALSE(process.url().empty()) << "the service did not start";
  screentext::Renderer renderer;
  ASSERT_TRUE(renderer.ready()) << "no font at " << screentext::kDefaultFont;
  capture::OcrClient client(programTransport(), freshFolder("ocr-service-program"), process.url());
  ASSERT_EQ(client.TestOcrKeys("key", "secret").outcome, KeyTestOutcome::kKeysAccepted);

  const char* question = "12．下列关于细胞结构的叙述，正确的是（ ）A．核糖体由 RNA 和蛋白质组成";
  std::vector<std::string> pictures;
  for (screentext::Scheme scheme : {screentext::kBlackOnWhite, screentext::kWhiteOnDark}) {
    const screentext::Page page = renderer.render(question, 16, 400, scheme);
    ASSERT_EQ(page.lines.size(), 2u);
    pictures.push_back(screentext::bmpOf(page, {14, 18, page.width - 14, page.height - 18}));
  }
  const std::u16string truth = cp936::toUtf16(cp936::fromUtf8(question));

  // Four selections at once on two recognisers: each waits its turn, none is lost.
  std::vector<capture::Recognition> results(4);
  std::vector<std::thread> users;
  for (std::size_t i = 0; i < results.size(); ++i)
    users.emplace_back([&, i] { results[i] = client.RecognizeScreenshot(pictures[i % 2]); });
  for (std::thread& user : users) user.join();
  for (std::size_t i = 0; i < results.size(); ++i) {
    ASSERT_EQ(results[i].outcome, RecognitionOutcome::kRecognized) << i;
    EXPECT_GT(shareRead(truth, cp936::toUtf16(results[i].text)), 0.9)
        << i << ": " << cp936::toUtf8(results[i].text);
  }

  // A picture that claims more than it holds, then a good one again.
  const std::string port = process.url().substr(process.url().rfind(':') + 1);
  std::string broken = pictures[0].substr(0, 200);
  const auto refused =
      rawPost(std::stoi(port), "/rest/2.0/ocr/v1/general_basic?access_token=x", "text/plain", "");
  EXPECT_NE(refused.body.find("\"error_code\":110"), std::string::npos);
  EXPECT_EQ(client.RecognizeScreenshot(broken).outcome, RecognitionOutcome::kServiceError);
  EXPECT_EQ(client.RecognizeScreenshot(pictures[1]).outcome, RecognitionOutcome::kRecognized);
}

}  // namespace
