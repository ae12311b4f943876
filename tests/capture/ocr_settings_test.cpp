// The OCR keys in the settings file: what is read back, and what else the file keeps.
#include "capture/ocr_settings.h"

#include <gtest/gtest.h>

#include "../platform/fresh_folder.h"
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

}  // namespace
