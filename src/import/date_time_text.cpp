#include "import/date_time_text.h"

#include <cstdio>

#include "platform/cp936.h"

std::string dateTimeText(const XlDateTime& date) {
  // The formats are written in UTF-8 here and converted once to the program's GBK.
  static const std::string ymd = cp936::fromUtf8("%d年%d月%d日");
  static const std::string hms = cp936::fromUtf8("%d时%d分%d秒");
  static const std::string hm = cp936::fromUtf8("%d时%d分");
  static const std::string h = cp936::fromUtf8("%d时");
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, ymd.c_str(), date.year, date.month, date.day);
  std::string text = buffer;
  if (date.second != 0)
    std::snprintf(buffer, sizeof buffer, hms.c_str(), date.hour, date.minute, date.second);
  else if (date.minute != 0)
    std::snprintf(buffer, sizeof buffer, hm.c_str(), date.hour, date.minute);
  else if (date.hour != 0)
    std::snprintf(buffer, sizeof buffer, h.c_str(), date.hour);
  else
    buffer[0] = '\0';
  return text + buffer;
}

std::string numberText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.13g", value);
  return buffer;
}
