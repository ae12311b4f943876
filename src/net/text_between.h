// Cuts a text out between two markers (cookies, header values, URL parts).
#pragma once
#include <string>
#include <string_view>

namespace net {

// The text between the first `left` at or after byte position `start` (1-based) and the next
// `right` after it; empty when either marker is missing. "#引号" in a marker stands for a
// double quote. Searches step whole GBK characters; ignoreCase folds ASCII letters.
std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start = 1, bool ignoreCase = false);

}  // namespace net
