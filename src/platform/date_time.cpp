#include "platform/date_time.h"

#include <cmath>
#include <cstdio>

#include "platform/cp936.h"

namespace platform {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

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
  civilFromDays(days + kVariantEpochDays, t.year, t.month, t.day);
  t.hour = int(seconds / 3600);
  t.minute = int(seconds / 60 % 60);
  t.second = int(seconds % 60);
  return t;
}

std::string dateTimeText(const CivilTime& t) {
  // The formats are written in UTF-8 here and converted once to the program's GBK.
  static const std::string ymd = cp936::fromUtf8("%d年%d月%d日");
  static const std::string hms = cp936::fromUtf8("%d时%d分%d秒");
  static const std::string hm = cp936::fromUtf8("%d时%d分");
  static const std::string h = cp936::fromUtf8("%d时");
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, ymd.c_str(), t.year, t.month, t.day);
  std::string text = buffer;
  if (t.second != 0)
    std::snprintf(buffer, sizeof buffer, hms.c_str(), t.hour, t.minute, t.second);
  else if (t.minute != 0)
    std::snprintf(buffer, sizeof buffer, hm.c_str(), t.hour, t.minute);
  else if (t.hour != 0)
    std::snprintf(buffer, sizeof buffer, h.c_str(), t.hour);
  else
    buffer[0] = '\0';
  return text + buffer;
}

}  // namespace platform
