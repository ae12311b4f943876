// The profile API's rules over the bytes of a file, for the native build (and for the tests
// that hold them against the Windows API under Wine):
// - a file starting with a UTF-8 or UTF-16 byte order mark is in that encoding, any other is
//   GBK; lines end at CR or LF;
// - lines are trimmed of space, tab, CR, LF, VT, FF and Ctrl-Z; "[name]" (up to the last "]")
//   starts a section; any other line is a key, with its value after the first "=";
// - names compare without case (ASCII letters) up to a NUL; the first matching section and,
//   in it, the first matching key win;
// - a value is cut at a NUL, then loses one pair of enclosing quotes ("..." or '...').
// Changes touch only the lines they must and keep the file's encoding.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_file.h"

namespace platform::profile {

bool isBlank(char c);

// The value as GetPrivateProfileString would return it with an unlimited buffer; nullopt when
// the section or the key is missing.
std::optional<std::string> findValue(std::string_view file, std::string_view section,
                                     std::string_view key);

// The file with each entry set in `section`: an existing key's line is rewritten as
// "key=value" (with the file's spelling of the key), a new key goes after the section's last
// line that is not blank, a new section at the end of the file.
std::string setValues(std::string_view file, std::string_view section,
                      const std::vector<ProfileEntry>& entries);

}  // namespace platform::profile
