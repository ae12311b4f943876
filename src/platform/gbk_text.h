// Helpers for program text (GBK bytes) that step whole characters: a lead byte (0x81-0xFE)
// starts a two-byte character, so a trail byte that looks like ASCII ('\', '|', 'A') is never
// matched, split on or case-folded by itself.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gbk {

inline constexpr std::size_t npos = std::string_view::npos;

// Length in bytes of the character starting at text[pos]: 2 for a lead byte followed by any
// byte but NUL, as the system's code page 936 steps text; otherwise 1.
std::size_t charLength(std::string_view text, std::size_t pos);

// First occurrence of needle at a character boundary at or after `from`; npos when none.
std::size_t find(std::string_view text, std::string_view needle, std::size_t from = 0,
                 bool ignoreCase = false);

// Every occurrence of `from` replaced by `to`, scanning whole characters.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to,
                       bool ignoreCase = false);

// Pieces between separators (the separator matched at character boundaries only).
std::vector<std::string> split(std::string_view text, std::string_view separator);

// ASCII letters folded; double-byte characters left alone.
std::string toLowerAscii(std::string_view text);
std::string toUpperAscii(std::string_view text);

// Largest length <= maxBytes that does not cut a double-byte character in half.
std::size_t fitLength(std::string_view text, std::size_t maxBytes);

}  // namespace gbk
