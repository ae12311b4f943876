// The OCR service's two keys as the settings file "配置.ini" beside the program keeps them:
// section "百度识别", keys "API Key" and "Secret Key", each value scrambled with the program's
// key text, so stored files of every version read alike.
#pragma once
#include <filesystem>
#include <string>

namespace capture {

// Program text (GBK), as typed into the settings form.
struct OcrKeys {
  std::string apiKey;
  std::string secretKey;
};

std::filesystem::path settingsFilePath(const std::filesystem::path& runDirectory);

// The stored keys. A missing file, a missing key and a value that fails the scramble's check
// (another key text, edited by hand) each give an empty key; nothing is reported.
OcrKeys LoadOcrSettings(const std::filesystem::path& runDirectory);

// Stores both keys, scrambled, in one durable replacement of the file, keeping anything else
// it holds. False when the file could not be written (the old file is then untouched).
bool StoreOcrKeys(const std::filesystem::path& runDirectory, const OcrKeys& keys);

}  // namespace capture
