#include "capture/ocr_settings.h"

#include "capture/service_address.h"
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

const std::string& addressKey() {
  static const std::string name = cp936::fromUtf8("服务地址");
  return name;
}

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

std::string LoadOcrServiceAddress(const std::filesystem::path& runDirectory) {
  return checkServiceAddress(
             platform::readProfileString(settingsFilePath(runDirectory), section(), addressKey()))
      .address;
}

bool StoreOcrKeys(const std::filesystem::path& runDirectory, const OcrKeys& keys,
                  const std::optional<std::string>& serviceAddress) {
  using net::ScrambleSetting, net::kSettingsScrambleKey;
  const auto file = settingsFilePath(runDirectory);
  std::vector<platform::ProfileEntry> entries{
      {kApiKey, ScrambleSetting(keys.apiKey, kSettingsScrambleKey)},
      {kSecretKey, ScrambleSetting(keys.secretKey, kSettingsScrambleKey)}};
  if (serviceAddress) {
    const ServiceAddressCheck check = checkServiceAddress(*serviceAddress);
    if (!check.ok()) return false;
    if (!check.address.empty() ||
        !platform::readProfileString(file, section(), addressKey()).empty())
      entries.push_back({addressKey(), check.address});
  }
  return platform::writeProfileStrings(file, section(), entries);
}

}  // namespace capture
