// Base64 as clients send pictures: the RFC 4648 alphabet, "=" fill optional, line breaks allowed.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace ocr_service {

// Nullopt when the text holds anything else, fill in the middle, or a lone trailing character.
std::optional<std::string> decodeBase64(std::string_view text);

}  // namespace ocr_service
