// The service's request handling without the engine: every kind of bad request gets the
// provider's error, good ones reach the recogniser with the picture made ready for it, and the
// program's own reply readers understand every reply.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "../platform/bmp_image.h"
#include "../platform/fresh_folder.h"
#include "capture/ocr_replies.h"
#include "net/base64.h"
#include "net/url_encode.h"
#include "ocr_service/base64_decode.h"
#include "ocr_service/form_fields.h"
#include "ocr_service/key_file.h"
#include "ocr_service/recognition_service.h"
#include "platform/cp936.h"
#include "platform/image_codec.h"
#include "recognition/line_text.h"
#include "recognition/text_preparation.h"

using namespace ocr_service;
using namespace recognition;

namespace {

constexpr const char* kForm = "application/x-www-form-urlencoded";

// A picture of dark bars on a light background (or the other way round): one bar a text line.
std::string barsPicture(int width, int height, int barHeight, bool lightOnDark = false) {
  bmp::Picture picture{width, height, {}};
  const bmp::Pixel paper = lightOnDark ? bmp::Pixel{20, 30, 40} : bmp::Pixel{250, 250, 245};
  const bmp::Pixel ink = lightOnDark ? bmp::Pixel{240, 240, 240} : bmp::Pixel{10, 10, 10};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool inBar = (y % (2 * barHeight)) >= barHeight / 2 &&
                         (y % (2 * barHeight)) < barHeight / 2 + barHeight && x % 7 < 4 && x > 4 &&
                         x < width - 4;
      picture.pixels.push_back(inBar ? ink : paper);
    }
  return bmp::write(picture);
}

std::string imageBody(std::string_view file) {
  return "image=" + net::UrlEncode(net::Base64Encode(file), true, true);
}

struct RecognizerSpy {
  std::atomic<int> calls{0};
  GreyPicture lastPicture;
  TextLanguage lastLanguage = TextLanguage::kChineseAndEnglish;
  RecognizedText answer{true, {"第一行 \"quoted\" \\", "line\ttwo"}};
  bool throwInstead = false;

  TextRecognizer recognizer() {
    return [this](const GreyPicture& picture, TextLanguage language) {
      ++calls;
      lastPicture = picture;
      lastLanguage = language;
      if (throwInstead) throw std::runtime_error("engine broke");
      return answer;
    };
  }
};

class RecognitionRequestTest : public ::testing::Test {
 protected:
  RecognizerSpy spy;
  RecognitionService service{{}, spy.recognizer()};

  std::string target() const {
    return "/rest/2.0/ocr/v1/general_basic?access_token=" +
           net::UrlEncode(service.accessToken(), true, true);
  }
  capture::RecognitionReply recognise(std::string_view body, std::string_view type = kForm) {
    last = service.recognitionRequest(target(), type, body);
    return capture::readRecognitionReply(last.body);
  }
  std::string errorCodeOfLast() const {
    const auto at = last.body.find("\"error_code\":");
    if (at == std::string::npos) return "";
    return last.body.substr(at + 13, last.body.find(',', at) - at - 13);
  }
  ServiceReply last;
};

TEST(FormFieldsTest, DecodesAsBrowsersEncode) {
  const auto fields = parseFormFields("a=1+2&&b=%E4%B8%AD%2b%3D&c&d=%zz%4&=e&a=second");
  ASSERT_EQ(fields.size(), 6u);
  EXPECT_EQ(fieldValue(fields, "a"), "1 2");
  EXPECT_EQ(fieldValue(fields, "b"), "\xE4\xB8\xAD+=");
  EXPECT_EQ(fieldValue(fields, "c"), "");
  EXPECT_EQ(fieldValue(fields, "d"), "%zz%4");
  EXPECT_EQ(fieldValue(fields, ""), "e");
  EXPECT_FALSE(fieldValue(fields, "missing"));
  EXPECT_EQ(queryOf("/p?x=1#frag"), "x=1");
  EXPECT_EQ(queryOf("/p"), "");

  EXPECT_TRUE(isFormContentType("application/x-www-form-urlencoded"));
  EXPECT_TRUE(isFormContentType(" Application/X-WWW-Form-UrlEncoded ; charset=UTF-8"));
  EXPECT_FALSE(isFormContentType("application/x-www-form-urlencodedx"));
  EXPECT_FALSE(isFormContentType("multipart/form-data; boundary=x"));
  EXPECT_FALSE(isFormContentType(""));
}

TEST(Base64DecodeTest, UndoesTheClientsEncodingAndRefusesAnythingElse) {
  std::mt19937 random(7);
  for (std::size_t length = 0; length < 40; ++length) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) bytes += char(random());
    EXPECT_EQ(decodeBase64(net::Base64Encode(bytes)), bytes) << length;
  }
  EXPECT_EQ(decodeBase64("QUJD\r\nRA"), "ABCD");  // line breaks; fill left out
  EXPECT_FALSE(decodeBase64("QUJ D"));            // a "+" the client did not escape
  EXPECT_FALSE(decodeBase64("QU=JD"));
  EXPECT_FALSE(decodeBase64("QUJDR"));  // one digit cannot make a byte
  EXPECT_FALSE(decodeBase64("QUJD="));
  EXPECT_FALSE(decodeBase64("QQ==="));
}

TEST(TokenRequestTest, AnyKeysUnlessTheServiceIsGivenSome) {
  RecognitionService open({}, nullptr);
  const auto token = [](const RecognitionService& service, std::string query) {
    return service.tokenRequest("/oauth/2.0/token?" + query);
  };
  const std::string grant = "grant_type=client_credentials";
  auto granted =
      capture::readTokenReply(token(open, grant + "&client_id=a%26b&client_secret=x").body);
  EXPECT_EQ(granted.kind, capture::TokenReply::Kind::kToken);
  EXPECT_EQ(granted.token, open.accessToken());
  // Without this scope the provider's own client libraries sign each call instead of sending
  // the token, and every recognition would be refused.
  EXPECT_NE(token(open, grant + "&client_id=a&client_secret=x").body.find("brain_all_scope"),
            std::string::npos);
  // Empty keys would be stored by a key test and then never used: the user is told now.
  EXPECT_EQ(capture::readTokenReply(token(open, grant + "&client_secret=x").body).kind,
            capture::TokenReply::Kind::kUnknownClient);
  EXPECT_EQ(capture::readTokenReply(token(open, grant + "&client_id=a&client_secret=").body).kind,
            capture::TokenReply::Kind::kBadSecret);
  const ServiceReply wrongGrant = token(open, "grant_type=password&client_id=a&client_secret=b");
  EXPECT_EQ(wrongGrant.status, 400);
  EXPECT_EQ(capture::readTokenReply(wrongGrant.body).kind, capture::TokenReply::Kind::kNoToken);

  RecognitionService closed({{"key one", "s&cret"}, {"k2", "s2"}, {"k2", "new"}}, nullptr);
  EXPECT_EQ(capture::readTokenReply(
                token(closed, grant + "&client_id=key+one&client_secret=s%26cret").body)
                .kind,
            capture::TokenReply::Kind::kToken);
  EXPECT_EQ(
      capture::readTokenReply(token(closed, grant + "&client_id=k2&client_secret=s").body).kind,
      capture::TokenReply::Kind::kBadSecret);
  // An API Key listed twice takes either secret.
  EXPECT_EQ(
      capture::readTokenReply(token(closed, grant + "&client_id=k2&client_secret=new").body).kind,
      capture::TokenReply::Kind::kToken);
  const ServiceReply unknown = token(closed, grant + "&client_id=k3&client_secret=s2");
  EXPECT_EQ(unknown.status, 401);
  EXPECT_EQ(capture::readTokenReply(unknown.body).kind, capture::TokenReply::Kind::kUnknownClient);
  // The keys may also come in a form body, as the provider allows.
  EXPECT_EQ(
      capture::readTokenReply(
          closed.tokenRequest("/oauth/2.0/token", grant + "&client_id=k2&client_secret=s2").body)
          .kind,
      capture::TokenReply::Kind::kToken);
  EXPECT_NE(open.accessToken(), closed.accessToken());
}

TEST_F(RecognitionRequestTest, BadRequestsGetTheProvidersErrorsAndNeverReachTheEngine) {
  const std::string picture = imageBody(barsPicture(60, 40, 10));
  EXPECT_EQ(service
                .recognitionRequest("/rest/2.0/ocr/v1/general_basic?access_token=24.stale", kForm,
                                    picture)
                .body.find("\"error_code\":110"),
            1u);
  EXPECT_EQ(capture::readRecognitionReply(
                service.recognitionRequest("/rest/2.0/ocr/v1/general_basic", kForm, picture).body)
                .kind,
            capture::RecognitionReply::Kind::kTokenRejected);

  struct Case {
    const char* what;
    std::string body;
    std::string type;
    const char* code;
  };
  const Case cases[] = {
      {"wrong content type", picture, "text/plain", "216100"},
      {"JSON body", R"({"image":"Qk0="})", "application/json", "216100"},
      {"no image field", "url=http%3A%2F%2Fexample.test%2Fa.png", kForm, "216101"},
      {"empty body", "", kForm, "216101"},
      {"empty image", "image=", kForm, "216200"},
      {"not Base64", "image=%%%not*base64", kForm, "216201"},
      {"unescaped plus", "image=" + net::Base64Encode(std::string(50, '\xFB')), kForm, "216201"},
      {"not a picture", imageBody("just some text, not a picture at all"), kForm, "216201"},
      {"a cut picture", imageBody(barsPicture(60, 40, 10).substr(0, 300)), kForm, "216201"},
      {"too much Base64", "image=" + std::string(kMaxImageBase64Bytes + 4, 'A'), kForm, "216202"},
      {"unknown language", picture + "&language_type=KLINGON", kForm, "216100"},
  };
  for (const Case& c : cases) {
    const auto reply = recognise(c.body, c.type);
    EXPECT_EQ(reply.kind, capture::RecognitionReply::Kind::kError) << c.what;
    EXPECT_EQ(errorCodeOfLast(), c.code) << c.what;
    EXPECT_EQ(last.status, 200) << c.what;
  }
  EXPECT_EQ(spy.calls, 0);
}

// Only a picture's header, with no pixel data after it: were it decoded it would be refused as
// damaged (216201), so the size error shows it was judged before any decoding.
std::string pngHeader(std::uint32_t width, std::uint32_t height) {
  std::string file("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (std::uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) file += char(v >> shift & 0xFF);
  return file + std::string("\x08\0\0\0\0", 5) + "CRC!";
}
std::string jpegHeader(int width, int height) {
  std::string file = "\xFF\xD8\xFF\xE0" +
                     std::string(
                         "\0\x04"
                         "ab",
                         4) +
                     "\xFF\xFF\xC2";
  file += std::string("\0\x0b\x08", 3);
  file += {char(height >> 8), char(height & 0xFF), char(width >> 8), char(width & 0xFF)};
  return file + std::string("\x01\x01\x11\0", 4);
}
std::string gifHeader(int width, int height) {
  return "GIF89a" +
         std::string{
             char(width & 0xFF), char(width >> 8), char(height & 0xFF), char(height >> 8), 0, 0, 0};
}
std::string bmpHeader(int width, int height) {
  std::string file = barsPicture(16, 16, 4).substr(0, 54);
  for (int i = 0; i < 4; ++i) file[std::size_t(18 + i)] = char(width >> (8 * i));
  for (int i = 0; i < 4; ++i) file[std::size_t(22 + i)] = char(height >> (8 * i));
  return file;
}

TEST_F(RecognitionRequestTest, PicturesAreJudgedByTheirHeadersSizeBeforeDecoding) {
  struct Case {
    const char* what;
    std::string file;
    const char* code;
  };
  const Case cases[] = {
      {"PNG far too wide", pngHeader(32768, 2048), "216202"},
      {"PNG of 4 gigapixels", pngHeader(65535, 65535), "216202"},
      {"PNG of an 8K side but too many pixels", pngHeader(8192, 8192), "216202"},
      {"PNG under 15 px", pngHeader(14, 400), "216202"},
      {"PNG of no pixels", pngHeader(0, 400), "216201"},
      {"PNG within bounds but empty", pngHeader(800, 600), "216201"},
      {"progressive JPEG too tall", jpegHeader(100, 9000), "216202"},
      {"JPEG under 15 px", jpegHeader(100, 10), "216202"},
      {"JPEG without a frame", "\xFF\xD8\xFF\xD9", "216201"},
      {"GIF too wide", gifHeader(9000, 20), "216202"},
      {"BMP too wide", bmpHeader(9000, 20), "216202"},
      {"BMP too tall, rows top first", bmpHeader(20, -9000), "216202"},
      {"BMP under 15 px", bmpHeader(40, -14), "216202"},
      {"another format", "II*\0 a TIFF file header", "216201"},
  };
  for (const Case& c : cases) {
    recognise(imageBody(c.file));
    EXPECT_EQ(errorCodeOfLast(), c.code) << c.what;
  }
  EXPECT_EQ(spy.calls, 0);
  // The smallest picture taken is read, and a real one under the bound is refused as too small
  // instead of answered with text the engine made up.
  EXPECT_EQ(recognise(imageBody(barsPicture(15, 15, 4))).kind,
            capture::RecognitionReply::Kind::kLines);
  recognise(imageBody(barsPicture(200, 14, 4)));
  EXPECT_EQ(errorCodeOfLast(), "216202");
}

TEST_F(RecognitionRequestTest, ATokenIsReadUpToAFurtherQuestionMark) {
  // As one of the provider's client libraries sends it.
  last = service.recognitionRequest("/rest/2.0/ocr/v1/general_basic?aipSdk=node&access_token=" +
                                        service.accessToken() + "?aipSdk=node",
                                    kForm, imageBody(barsPicture(60, 40, 10)));
  EXPECT_EQ(capture::readRecognitionReply(last.body).kind, capture::RecognitionReply::Kind::kLines)
      << last.body;
  // An escaped question mark stays part of its value.
  last = service.recognitionRequest(
      "/rest/2.0/ocr/v1/general_basic?access_token=" + service.accessToken() + "%3Fx", kForm,
      imageBody(barsPicture(60, 40, 10)));
  EXPECT_EQ(errorCodeOfLast(), "110");
}

TEST_F(RecognitionRequestTest, LinesComeBackAsTheClientReadsThem) {
  const auto reply = recognise(imageBody(barsPicture(200, 60, 12)));
  ASSERT_EQ(reply.kind, capture::RecognitionReply::Kind::kLines);
  // The reader hands program text (GBK) back.
  EXPECT_EQ(reply.lines,
            (std::vector<std::string>{cp936::fromUtf8("第一行 \"quoted\" \\"), "line\ttwo"}));
  EXPECT_EQ(spy.lastLanguage, TextLanguage::kChineseAndEnglish);

  for (const char* type : {"PNG", "JPEG"}) {
    const auto format = type[0] == 'P' ? platform::ImageFormat::kPng : platform::ImageFormat::kJpeg;
    const std::string file = platform::encodeImage(barsPicture(120, 50, 10), format, false).bytes;
    EXPECT_EQ(recognise(imageBody(file) + "&language_type=ENG").kind,
              capture::RecognitionReply::Kind::kLines)
        << type;
    EXPECT_EQ(spy.lastLanguage, TextLanguage::kEnglish);
  }

  spy.answer = {true, {}};
  const auto none = recognise(imageBody(barsPicture(200, 60, 12)));
  EXPECT_EQ(none.kind, capture::RecognitionReply::Kind::kLines);
  EXPECT_TRUE(none.lines.empty());
}

TEST_F(RecognitionRequestTest, AFailingEngineIsAnInternalErrorAndABlankPictureNeedsNone) {
  spy.answer = {false, {}};
  recognise(imageBody(barsPicture(100, 40, 10)));
  EXPECT_EQ(errorCodeOfLast(), "282000");
  spy.throwInstead = true;
  recognise(imageBody(barsPicture(100, 40, 10)));
  EXPECT_EQ(errorCodeOfLast(), "282000");

  const int calls = spy.calls;
  bmp::Picture blank{300, 80, {}};
  blank.pixels.assign(300 * 80, bmp::Pixel{40, 40, 40});
  const auto reply = recognise(imageBody(bmp::write(blank)));
  EXPECT_EQ(reply.kind, capture::RecognitionReply::Kind::kLines);
  EXPECT_TRUE(reply.lines.empty());
  EXPECT_EQ(spy.calls, calls);
}

TEST_F(RecognitionRequestTest, TheEngineGetsDarkTextOnWhiteScaledUpWithAMargin) {
  for (bool lightOnDark : {false, true}) {
    ASSERT_EQ(recognise(imageBody(barsPicture(200, 60, 12, lightOnDark))).kind,
              capture::RecognitionReply::Kind::kLines);
    const GreyPicture& seen = spy.lastPicture;
    // Bars 12 pixels high come out at the preferred ink height.
    EXPECT_NEAR(medianLineHeight(seen), kPreferredInkHeight, 2) << lightOnDark;
    const int margin = kPreferredInkHeight / 2;
    EXPECT_EQ(seen.at(margin / 2, seen.height / 2), 255);  // the margin, white
    // Background white and ink black, whatever the screen's colours were.
    std::size_t black = 0, white = 0;
    for (std::uint8_t v : seen.pixels) black += v == 0, white += v == 255;
    EXPECT_GT(white, seen.pixels.size() / 2) << lightOnDark;
    EXPECT_GT(black, seen.pixels.size() / 10) << lightOnDark;
  }
}

TEST(TextPreparationTest, LargeTextStaysAndHugePicturesAreNotBlownUp) {
  GreyPicture big{400, 200, std::vector<std::uint8_t>(400 * 200, 255)};
  for (int y = 40; y < 100; ++y)
    for (int x = 10; x < 390; x += 3) big.pixels[std::size_t(y) * 400 + x] = 0;
  PreparedPicture prepared = prepareForRecognition(big);
  EXPECT_EQ(prepared.scale, 1);
  EXPECT_FALSE(prepared.turned);

  // Small text over a whole 4K screen: scaled only as far as the pixel budget allows.
  GreyPicture screen{3840, 2160, std::vector<std::uint8_t>(3840u * 2160u, 255)};
  for (int y = 0; y < 2160; y += 20)
    for (int row = y; row < y + 8; ++row)
      for (int x = 0; x < 3840; x += 2) screen.pixels[std::size_t(row) * 3840 + x] = 0;
  prepared = prepareForRecognition(screen);
  EXPECT_GT(prepared.scale, 1);
  EXPECT_LE(double(prepared.picture.width) * prepared.picture.height,
            double(kMaxPreparedPixels) * 1.05);
}

TEST(LineTextTest, SpacesOnlyBetweenLatinWords) {
  EXPECT_EQ(tidyLine("  新 中 国 成立 之初 ， 全国  "), "新中国成立之初，全国");
  EXPECT_EQ(tidyLine("A. was  doing B. 1 2 \n"), "A. was doing B. 1 2");
  EXPECT_EQ(tidyLine("Jane Eyre 是 小说 ( 4 分 )"), "Jane Eyre是小说( 4分)");
  EXPECT_EQ(tidyLine(" \t\n"), "");
}

TEST(KeyFileTest, PairsCommentsAndBadLines) {
  const auto parsed = parseKeyFile("\xEF\xBB\xBFkey1 secret1\r\n# keys\n\n  key2\tsecret2  \n");
  ASSERT_EQ(parsed.badLine, 0);
  EXPECT_EQ(parsed.keys[0].apiKey, "key1");  // the byte order mark is not part of the key
  ASSERT_EQ(parsed.keys.size(), 2u);
  EXPECT_EQ(parsed.keys[1].apiKey, "key2");
  EXPECT_EQ(parsed.keys[1].secretKey, "secret2");
  const auto bad = parseKeyFile("key1 secret1\nlonely\n");
  EXPECT_EQ(bad.badLine, 2);
  EXPECT_TRUE(bad.keys.empty());
}

TEST(KeyFileTest, OnlyARegularFileOfBoundedSizeIsRead) {
  const std::filesystem::path folder = freshFolder("ocr-key-file");
  std::vector<ApiKeys> keys;
  std::string error;
  const std::filesystem::path good = folder / "keys.txt";
  std::ofstream(good) << "k s\n";
  EXPECT_TRUE(loadKeyFile(good.string(), keys, error)) << error;
  EXPECT_EQ(keys.size(), 1u);

  const std::filesystem::path big = folder / "big.txt";
  std::ofstream(big) << std::string(kMaxKeyFileBytes, '#') << "\nk s\n";
  EXPECT_FALSE(loadKeyFile(big.string(), keys, error));

  // A FIFO nobody writes to would block the start for ever: it is refused at once.
  const std::filesystem::path fifo = folder / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(loadKeyFile(fifo.string(), keys, error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  EXPECT_FALSE(loadKeyFile("/dev/zero", keys, error));
  EXPECT_FALSE(loadKeyFile(folder.string(), keys, error));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(loadKeyFile((folder / "missing").string(), keys, error));
}

}  // namespace
