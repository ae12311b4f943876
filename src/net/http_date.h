// HTTP dates ("Date:" headers) as the program's date-times: days since 30 December 1899 with
// the time of day as the fraction.
#pragma once
#include <optional>
#include <string_view>

namespace net {

// Reads an RFC 1123 ("Sun, 06 Nov 1994 08:49:37 GMT"), RFC 850 ("Sunday, 06-Nov-94 08:49:37
// GMT") or asctime ("Sun Nov  6 08:49:37 1994") date, with or without its weekday, spaces
// around it ignored. The result is in the UTC+8 zone the program shows, or the date as sent
// (GMT) when untouched. nullopt when the text is not such a date or names an impossible one.
std::optional<double> ParseHttpDate(std::string_view text, bool untouched = false);

// The program's date-time of a calendar date and time (proleptic Gregorian, year 100-9999).
double VariantDateOf(int year, int month, int day, int hour, int minute, int second);

}  // namespace net
