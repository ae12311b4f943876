// The OCR service's two keys as the settings file "配置.ini" beside the program keeps them:
// section "百度识别", keys "API Key" and "Secret Key", each value scrambled with the program's
// key text, so stored files of every version read alike. Beside them, in the clear, the
// service's base address ("服务地址"); a file without it means the provider's own address.
#pragma once
#include <filesystem>
#include <optional>
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

// The stored service address, as checkServiceAddress gives it; empty when none is stored or
// the stored one fails that check (edited by hand), which means the provider's own address.
std::string LoadOcrServiceAddress(const std::filesystem::path& runDirectory);

// Stores both keys, scrambled, in one durable replacement of the file, keeping anything else
// it holds, and the service address with them when one is given (an address the check refuses
// is not stored: false). An empty address is written only to clear a stored one, so a file
// that never had one keeps its old shape. False when the file could not be written (the old
// file is then untouched).
bool StoreOcrKeys(const std::filesystem::path& runDirectory, const OcrKeys& keys,
                  const std::optional<std::string>& serviceAddress = std::nullopt);

}  // namespace capture
