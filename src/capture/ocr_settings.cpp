#include "capture/ocr_settings.h"

#include "net/setting_scramble.h"
#include "platform/cp936.h"
#include "platform/profile_file.h"

namespace capture {
namespace {

const std::string& section() {
  static const std::string name = cp936::fromUtf8("百度识别");
  return name;
}

constexpr const char* kApiKey = "API Key";
constexpr const char* kSecretKey = "Secret Key";

std::string readKey(const std::filesystem::path& file, const char* key) {
  return net::UnscrambleSetting(platform::readProfileString(file, section(), key),
                                net::kSettingsScrambleKey);
}

}  // namespace

std::filesystem::path settingsFilePath(const std::filesystem::path& runDirectory) {
  return runDirectory / std::filesystem::path(u8"配置.ini");
}

OcrKeys LoadOcrSettings(const std::filesystem::path& runDirectory) {
  const auto file = settingsFilePath(runDirectory);
  return {readKey(file, kApiKey), readKey(file, kSecretKey)};
}

bool StoreOcrKeys(const std::filesystem::path& runDirectory, const OcrKeys& keys) {
  using net::ScrambleSetting, net::kSettingsScrambleKey;
  return platform::writeProfileStrings(
      settingsFilePath(runDirectory), section(),
      {{kApiKey, ScrambleSetting(keys.apiKey, kSettingsScrambleKey)},
       {kSecretKey, ScrambleSetting(keys.secretKey, kSettingsScrambleKey)}});
}

}  // namespace capture
