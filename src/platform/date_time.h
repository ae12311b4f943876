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

// Days since 1970-01-01 to a date, and back; any year, by 400-year eras.
void civilFromDays(std::int64_t days, int& year, int& month, int& day);
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day);

// 30 December 1899, the start of variant dates, in days since 1970-01-01.
inline constexpr std::int64_t kVariantEpochDays = -25569;

// A variant date to the nearest second; for negative values the fraction still counts forward
// from the day's midnight.
CivilTime fromVariantDate(double date);

// "%d年%d月%d日" followed by "%d时%d分%d秒", "%d时%d分" or "%d时" according to the last of
// seconds, minutes and hour that is not zero (nothing when all are); program text (GBK).
std::string dateTimeText(const CivilTime& time);

}  // namespace platform
