#include "spreadsheet/date_serial.h"

#include <cmath>

#include "platform/date_time.h"

namespace xldate {
namespace {

constexpr long kDays1904 = 1462;  // serial of 1 January 1904 in the 1900 system

}  // namespace

bool unpack(double serial, bool date1904, DateTime& out) {
  if (!std::isfinite(serial) || serial < -693593.0 || serial >= 2958466.0) return false;
  // Round to the millisecond first, so 13:05 stored as 0.54513888888888884 stays 13:05:00.
  double totalMs = std::floor(serial * 86400000.0 + 0.5);
  double dayPart = std::floor(totalMs / 86400000.0);
  long msOfDay = static_cast<long>(totalMs - dayPart * 86400000.0);
  long day = static_cast<long>(dayPart) + (date1904 ? kDays1904 : 0);
  out.hour = static_cast<int>(msOfDay / 3600000);
  out.minute = static_cast<int>(msOfDay / 60000 % 60);
  out.second = static_cast<int>(msOfDay / 1000 % 60);
  out.millisecond = static_cast<int>(msOfDay % 1000);
  if (!date1904 && day == 60) {
    out.year = 1900, out.month = 2, out.day = 29;
    return true;
  }
  // Before the phantom 29 February 1900, Excel's serials run one day ahead of the calendar.
  // Day 0, where a time of day alone lands, stays 30 December 1899: Excel shows it as
  // "0 January 1900", a day no calendar has.
  if (!date1904 && day > 0 && day < 60) ++day;
  platform::civilFromDays(day + platform::kVariantEpochDays, out.year, out.month, out.day);
  return true;
}

double pack(const DateTime& date, bool date1904) {
  long day;
  if (!date1904 && date.year == 1900 && date.month == 2 && date.day == 29) {
    day = 60;
  } else {
    day = long(platform::daysFromCivil(date.year, unsigned(date.month), unsigned(date.day)) -
               platform::kVariantEpochDays);
    if (!date1904 && day > 0 && day <= 60) --day;
    if (date1904) day -= kDays1904;
  }
  double time = ((date.hour * 60.0 + date.minute) * 60.0 + date.second) * 1000.0 + date.millisecond;
  return static_cast<double>(day) + time / 86400000.0;
}

}  // namespace xldate
