// Calendar dates and times as the program counts and shows them: the proleptic Gregorian
// calendar, variant dates (days since 30 December 1899 with the time of day as the fraction) and
// the 年月日时分秒 text.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

struct CivilTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// Days since 1970-01-01 to a date of the proleptic Gregorian calendar, and back; any year, by
// 400-year eras. Inline: the spreadsheet library uses them without linking anything here.
inline void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
  days += 719468;  // shift the epoch to 0000-03-01
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // March is 0
  day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

inline std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = unsigned(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + std::int64_t(dayOfEra) - 719468;
}

// 30 December 1899, the start of variant dates, in days since 1970-01-01.
inline constexpr std::int64_t kVariantEpochDays = -25569;

// A variant date to the nearest second; for negative values the fraction still counts forward
// from the day's midnight.
CivilTime fromVariantDate(double date);

// "%d年%d月%d日" followed by "%d时%d分%d秒", "%d时%d分" or "%d时" according to the last of
// seconds, minutes and hour that is not zero (nothing when all are); program text (GBK).
std::string dateTimeText(const CivilTime& time);

}  // namespace platform
