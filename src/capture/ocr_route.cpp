#include "capture/ocr_route.h"

#include <string>

#include "capture/ocr_settings.h"
#include "platform/cp936.h"
#include "platform/profile_file.h"

namespace capture {
namespace {

const std::string& section() {
  static const std::string name = cp936::fromUtf8("百度识别");
  return name;
}

const std::string& routeKey() {
  static const std::string name = cp936::fromUtf8("识别方式");
  return name;
}

// Stored as words, so a hand-edited file reads plainly.
constexpr const char* kLocalWord = "local";
constexpr const char* kCloudWord = "cloud";
constexpr const char* kServiceWord = "service";

}  // namespace

std::optional<OcrRoute> LoadStoredOcrRoute(const std::filesystem::path& runDirectory) {
  const std::string word =
      platform::readProfileString(settingsFilePath(runDirectory), section(), routeKey());
  if (word == kLocalWord) return OcrRoute::kLocal;
  if (word == kCloudWord) return OcrRoute::kCloud;
  if (word == kServiceWord) return OcrRoute::kService;
  return std::nullopt;
}

OcrRoute effectiveOcrRoute(std::optional<OcrRoute> stored, bool keysStored, bool addressStored) {
  if (stored) return *stored;
  if (!keysStored) return OcrRoute::kLocal;
  return addressStored ? OcrRoute::kService : OcrRoute::kCloud;
}

OcrRoute LoadOcrRoute(const std::filesystem::path& runDirectory) {
  const OcrKeys keys = LoadOcrSettings(runDirectory);
  return effectiveOcrRoute(LoadStoredOcrRoute(runDirectory),
                           !keys.apiKey.empty() && !keys.secretKey.empty(),
                           !LoadOcrServiceAddress(runDirectory).empty());
}

bool StoreOcrRoute(const std::filesystem::path& runDirectory, OcrRoute route) {
  const char* word = route == OcrRoute::kLocal   ? kLocalWord
                     : route == OcrRoute::kCloud ? kCloudWord
                                                 : kServiceWord;
  return platform::writeProfileStrings(settingsFilePath(runDirectory), section(),
                                       {{routeKey(), word}});
}

}  // namespace capture
