// UTF-8 <-> UTF-16, as the edges of the program need it (the CLI speaks UTF-8, Windows UTF-16).
#pragma once
#include <string>
#include <string_view>

namespace utf8 {

// Each invalid or truncated sequence (overlong, surrogate, above U+10FFFF) becomes one U+FFFD
// per maximal subpart, as Windows and the Unicode standard recommend.
std::u16string toUtf16(std::string_view utf8);

// A lone surrogate becomes U+FFFD.
std::string fromUtf16(std::u16string_view utf16);

// Is the text well-formed UTF-8 throughout?
bool isValid(std::string_view text);

}  // namespace utf8
