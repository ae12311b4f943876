// Number formats: which ones show dates, and which custom codes are really built-in ones.
#pragma once
#include <optional>
#include <string_view>

namespace xlformat {

// Built-in ids that show a date or a time, the CJK ids 27-36 and 50-58 included.
bool isBuiltInDate(unsigned id);

// True when a format code shows a date or a time: it holds y, m, d, h or s outside quoted
// text, escapes and bracketed sections ([h], [mm] and [ss] do count).
bool isDateCode(std::string_view code);

// The built-in id whose code `code` is, as spreadsheet writers that store every format as
// custom spell it (LibreOffice, WPS); nullopt for a genuinely custom code.
std::optional<unsigned> builtInIdForCode(std::string_view code);

}  // namespace xlformat
