// Pieces of the scripts JsonObject evaluates. Program text is turned into UTF-16 before it is
// put into a script, so escaping works on whole characters.
#pragma once
#include <string>
#include <string_view>

namespace json {

// The text as the inside of a single-quoted script string: backslash, both quotes, CR and LF
// escaped (and the two Unicode line separators, which would end the string).
std::u16string escapeForQuotes(std::u16string_view text);

// "'" + escaped text + "'".
std::u16string quotedText(std::u16string_view text);

}  // namespace json
