// Tidying a recognised line the way the provider writes its lines: no spaces between Chinese
// characters (the engine puts one between many of them), none at the ends, runs of spaces as one.
#pragma once
#include <string>
#include <string_view>

namespace recognition {

// UTF-8 in, UTF-8 out. A space stays only between two characters that are not wide (Latin
// words, numbers); beside a CJK character or full-width punctuation it goes.
std::string tidyLine(std::string_view utf8Line);

}  // namespace recognition
