// Hexadecimal text of bytes and back.
#pragma once
#include <string>
#include <string_view>

namespace net {

// Two upper-case digits a byte, nothing between them.
std::string HexEncode(std::string_view bytes);

// Reads the text two characters at a time, each pair as C's sscanf("%x") reads it on its own:
// leading white space is skipped, a sign is honoured ("-1" gives FF) and a "0x" prefix with no
// digit after it reads as 0. A pair that gives no number is skipped; a trailing single
// character is ignored. Each number contributes its low byte.
std::string HexDecode(std::string_view text);

}  // namespace net
