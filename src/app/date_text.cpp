#include "app/date_text.h"

#include <chrono>
#include <cmath>
#include <cstdint>

#include "platform/cp936.h"

namespace app {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kVariantEpochFromUnix = -25569;  // 1899-12-30 in days since 1970-01-01

// Days since 1970-01-01 to a proleptic Gregorian date, by 400-year eras.
void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
  days += 719468;  // shift the epoch to 0000-03-01
  std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  std::int64_t dayOfEra = days - era * 146097;
  std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // March is 0
  day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

CivilTime fromVariantDate(double date) {
  double whole = std::trunc(date);
  auto days = std::int64_t(whole);
  auto seconds = std::int64_t(std::llround(std::fabs(date - whole) * kSecondsPerDay));
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    days += 1;
  }
  CivilTime t;
  civilFromDays(days + kVariantEpochFromUnix, t.year, t.month, t.day);
  t.hour = int(seconds / 3600);
  t.minute = int(seconds / 60 % 60);
  t.second = int(seconds % 60);
  return t;
}

std::string dateTimeText(const CivilTime& t) {
  using std::to_string;
  std::string text = to_string(t.year) + "年" + to_string(t.month) + "月" + to_string(t.day) + "日";
  if (t.second != 0) {
    text += to_string(t.hour) + "时" + to_string(t.minute) + "分" + to_string(t.second) + "秒";
  } else if (t.minute != 0) {
    text += to_string(t.hour) + "时" + to_string(t.minute) + "分";
  } else if (t.hour != 0) {
    text += to_string(t.hour) + "时";
  }
  return cp936::fromUtf8(text);
}

double currentVariantDateUtc8() {
  using namespace std::chrono;
  double unixSeconds = duration<double>(system_clock::now().time_since_epoch()).count();
  return (unixSeconds + 8 * 3600) / kSecondsPerDay - kVariantEpochFromUnix;
}

}  // namespace app
