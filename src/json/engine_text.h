// The byte form Duktape keeps its strings in (CESU-8: UTF-8 with each UTF-16 unit encoded on
// its own) and back to UTF-16. Program text reaches the engine only this way, one whole
// character at a time, so no GBK byte ever meets script syntax.
#pragma once
#include <string>
#include <string_view>

namespace json {

std::string toEngineBytes(std::u16string_view text);

// Tolerates any bytes: a malformed sequence becomes U+FFFD, a code point above U+FFFF a
// surrogate pair.
std::u16string fromEngineBytes(std::string_view bytes);

}  // namespace json
