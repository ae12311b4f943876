// Which recognition screenshot mode uses: the program's own engine, the provider's service, or
// the service at the stored address. 配置.ini keeps the user's choice beside the keys
// ("识别方式"); a file without one, as every file written before the choice existed, reads as
// it always did: stored keys mean the provider or the stored address, no keys the own engine.
#pragma once
#include <filesystem>
#include <optional>

namespace capture {

enum class OcrRoute { kLocal, kCloud, kService };

// The stored choice; none for a file without one or with a value edited into something else.
std::optional<OcrRoute> LoadStoredOcrRoute(const std::filesystem::path& runDirectory);

// The route in effect, from the stored choice and what else the file holds.
OcrRoute effectiveOcrRoute(std::optional<OcrRoute> stored, bool keysStored, bool addressStored);
OcrRoute LoadOcrRoute(const std::filesystem::path& runDirectory);

// Stores the choice, keeping everything else in the file. False when it could not be written.
bool StoreOcrRoute(const std::filesystem::path& runDirectory, OcrRoute route);

}  // namespace capture
