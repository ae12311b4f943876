// The scramble that keeps the OCR keys out of plain sight in the settings file: each byte XORed
// with the low byte of a fixed constant, as hex, followed by a 9-character check taken from the
// MD5 of a key text. Stored files depend on this exact format.
#pragma once
#include <string>
#include <string_view>

namespace net {

// The key text the settings file is scrambled with.
inline constexpr std::string_view kSettingsScrambleKey = "Z9Y8X7";

std::string ScrambleSetting(std::string_view value, std::string_view key);

// The value, or empty text when the check does not match the key (another key, a hand-edited
// or truncated value, an empty value).
std::string UnscrambleSetting(std::string_view stored, std::string_view key);

}  // namespace net
