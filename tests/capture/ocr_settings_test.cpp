// The OCR keys and the service address in the settings file: what is read back, what else the
// file keeps, and which addresses are taken.
#include "capture/ocr_settings.h"

#include <gtest/gtest.h>

#include "../platform/fresh_folder.h"
#include "capture/service_address.h"
#include "net/setting_scramble.h"
#include "platform/cp936.h"
#include "platform/files.h"
#include "platform/profile_file.h"

namespace {

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

TEST(OcrSettings, StoredKeysReadBackAsTyped) {
  auto dir = freshFolder("ocr-settings");
  auto none = capture::LoadOcrSettings(dir);
  EXPECT_EQ(none.apiKey, "");
  EXPECT_EQ(none.secretKey, "");
  ASSERT_TRUE(capture::StoreOcrKeys(dir, {gbk("键 =&[]"), "  spaced  "}));
  auto keys = capture::LoadOcrSettings(dir);
  EXPECT_EQ(keys.apiKey, gbk("键 =&[]"));
  EXPECT_EQ(keys.secretKey, "  spaced  ");
  // Stored scrambled, in the settings file beside the program, in GBK.
  auto file = capture::settingsFilePath(dir);
  EXPECT_EQ(file.filename(), std::filesystem::path(u8"配置.ini"));
  EXPECT_EQ(platform::readProfileString(file, gbk("百度识别"), "Secret Key"),
            net::ScrambleSetting("  spaced  ", net::kSettingsScrambleKey));
}

TEST(OcrSettings, KeysStoredUnderAnotherKeyTextOrEditedReadAsEmpty) {
  auto dir = freshFolder("ocr-settings-foreign");
  const std::string foreign = net::ScrambleSetting("Api", "another");
  ASSERT_TRUE(platform::writeFileAtomic(
      capture::settingsFilePath(dir),
      gbk("[其他]\r\nkeep=1\r\n[百度识别]\r\nAPI Key=") + foreign + "\r\nSecret Key=41\r\n"));
  auto keys = capture::LoadOcrSettings(dir);
  EXPECT_EQ(keys.apiKey, "");
  EXPECT_EQ(keys.secretKey, "");
  ASSERT_TRUE(capture::StoreOcrKeys(dir, {"Api", "Secret"}));
  EXPECT_EQ(platform::readProfileString(capture::settingsFilePath(dir), gbk("其他"), "keep"), "1");
  EXPECT_EQ(capture::LoadOcrSettings(dir).apiKey, "Api");
}

TEST(ServiceAddress, PlainHttpOnlyToThisMachineAndNothingThatBendsTheRequests) {
  using P = capture::ServiceAddressProblem;
  struct Case {
    const char* typed;
    P problem;
    const char* address;
  };
  const Case cases[] = {
      {"", P::kNone, ""},
      {"  \t ", P::kNone, ""},
      {" http://127.0.0.1:8866/ ", P::kNone, "http://127.0.0.1:8866"},
      {"HTTP://LocalHost:8866", P::kNone, "http://localhost:8866"},
      {"http://127.200.3.4", P::kNone, "http://127.200.3.4"},
      {"http://[::1]:9000/ocr//", P::kNone, "http://[::1]:9000/ocr"},
      {"https://ocr.example.com:8443/base", P::kNone, "https://ocr.example.com:8443/base"},
      {"https://localhost:8443/ocr-standin/tag=a%2Cb;w=5", P::kNone,
       "https://localhost:8443/ocr-standin/tag=a%2Cb;w=5"},
      {"https://[fe80::1]", P::kNone, "https://[fe80::1]"},
      // Plain http anywhere else, including names and numbers that only look local.
      {"http://192.168.1.5:8866", P::kPlainHttpRemote, ""},
      {"http://ocr.example.com", P::kPlainHttpRemote, ""},
      {"http://127.0.0.1.example.com", P::kPlainHttpRemote, ""},
      {"http://localhost.example.com", P::kPlainHttpRemote, ""},
      {"http://0177.0.0.1", P::kPlainHttpRemote, ""},
      {"http://127.1", P::kPlainHttpRemote, ""},
      {"http://[fe80::1]", P::kPlainHttpRemote, ""},
      // Not an address the requests can be appended to.
      {"127.0.0.1:8866", P::kMalformed, ""},
      {"ftp://127.0.0.1", P::kMalformed, ""},
      {"http://", P::kMalformed, ""},
      {"http://127.0.0.1@evil.example", P::kMalformed, ""},
      {"http://127.0.0.1\\@evil.example", P::kMalformed, ""},
      {"https://ocr.example.com/?x=1", P::kMalformed, ""},
      {"https://ocr.example.com/#x", P::kMalformed, ""},
      {"https://ocr example.com", P::kMalformed, ""},
      {"https://ocr.example.com:0", P::kMalformed, ""},
      {"https://ocr.example.com:65536", P::kMalformed, ""},
      {"https://ocr.example.com:", P::kMalformed, ""},
      {"https://a..b", P::kMalformed, ""},
      {"https://[::1", P::kMalformed, ""},
      {"https://%6c%6f", P::kMalformed, ""},
      {"https://ocr.example.com/a%2", P::kMalformed, ""},
      {"https://ocr.example.com/a@b", P::kMalformed, ""},
      {"https://ocr.example.com/a//b", P::kMalformed, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const auto check = capture::checkServiceAddress(c.typed);
    EXPECT_EQ(check.problem, c.problem);
    EXPECT_EQ(check.address, c.address);
  }
  const auto chinese = capture::checkServiceAddress(gbk("https://识别.example"));
  EXPECT_EQ(chinese.problem, P::kMalformed);
}

TEST(OcrSettings, TheServiceAddressIsStoredWithTheKeysInTheClear) {
  auto dir = freshFolder("ocr-settings-address");
  const auto file = capture::settingsFilePath(dir);
  EXPECT_EQ(capture::LoadOcrServiceAddress(dir), "");

  // Without an address, or with an empty one, a file keeps the shape earlier versions wrote.
  ASSERT_TRUE(capture::StoreOcrKeys(dir, {"Api", "Secret"}));
  ASSERT_TRUE(capture::StoreOcrKeys(dir, {"Api", "Secret"}, ""));
  EXPECT_EQ(platform::readFile(file)->find(gbk("服务地址")), std::string::npos);

  ASSERT_TRUE(capture::StoreOcrKeys(dir, {"Api", "Secret"}, " http://127.0.0.1:8866/ "));
  EXPECT_EQ(platform::readProfileString(file, gbk("百度识别"), gbk("服务地址")),
            "http://127.0.0.1:8866");
  EXPECT_EQ(capture::LoadOcrServiceAddress(dir), "http://127.0.0.1:8866");

  // A refused address stores nothing, keys included.
  EXPECT_FALSE(capture::StoreOcrKeys(dir, {"Other", "Other"}, "http://10.0.0.1"));
  EXPECT_EQ(capture::LoadOcrSettings(dir).apiKey, "Api");
  EXPECT_EQ(capture::LoadOcrServiceAddress(dir), "http://127.0.0.1:8866");

  // An empty address clears a stored one.
  ASSERT_TRUE(capture::StoreOcrKeys(dir, {"Api", "Secret"}, ""));
  EXPECT_EQ(capture::LoadOcrServiceAddress(dir), "");

  // One edited by hand into plain http elsewhere reads as none: keys never go there.
  ASSERT_TRUE(platform::writeProfileStrings(file, gbk("百度识别"),
                                            {{gbk("服务地址"), "http://ocr.example.com"}}));
  EXPECT_EQ(capture::LoadOcrServiceAddress(dir), "");
  EXPECT_EQ(capture::LoadOcrSettings(dir).secretKey, "Secret");
}

}  // namespace
