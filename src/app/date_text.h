// A date-time as the answer form's status bar shows it.
#pragma once
#include <string>

namespace app {

struct CivilTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// A variant date (days since 30 December 1899, the fraction the time of day; for negative
// values the fraction still counts forward from the day's midnight), to the nearest second.
CivilTime fromVariantDate(double date);

// "%d年%d月%d日" followed by "%d时%d分%d秒", "%d时%d分" or "%d时" according to the last of
// seconds, minutes and hour that is not zero (nothing when all are); program text (GBK).
std::string dateTimeText(const CivilTime& time);

// Now, as a variant date in the UTC+8 zone.
double currentVariantDateUtc8();

}  // namespace app
