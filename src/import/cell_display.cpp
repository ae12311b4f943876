#include "import/cell_display.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "import/xl_sheet.h"
#include "platform/cp936.h"
#include "platform/date_time.h"
#include "platform/number_text.h"

namespace importer {
namespace {

// Half away from zero on the scaled value; the tiny nudge keeps 2.675 (stored as
// 2.67499999...) rounding up to 2.68 as the workbook shows it.
double roundDecimals(double value, int decimals) {
  double scale = std::pow(10.0, decimals);
  double scaled = std::fabs(value) * scale + 1e-12;
  double whole = std::floor(scaled);
  if (scaled - whole >= 0.5) whole += 1;
  double rounded = whole / scale;
  return value < 0 ? -rounded : rounded;
}

std::string dropOneLeadingZero(std::string text) {
  if (!text.empty() && text[0] == '0') text.erase(0, 1);
  return text;
}

// `pattern` is a printf format written in UTF-8; the result is GBK.
template <typename... Args>
std::string formatted(const char* pattern, Args... args) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, cp936::fromUtf8(pattern).c_str(), args...);
  return buffer;
}

// What a custom format code shows of a number: a date, a time of day, both or neither. Only
// the first section counts; quoted text, escaped characters, padding and fill characters and
// bracketed parts (colours, locales, conditions) say nothing about it.
struct CodeShows {
  bool date = false;
  bool time = false;
};

CodeShows whatCodeShows(std::string_view code) {
  bool year = false, day = false, month = false, hour = false, second = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == ';') break;
    if (c == '"') {
      std::size_t close = code.find('"', i + 1);
      if (close == std::string_view::npos) break;
      i = close;
    } else if (c == '\\' || c == '_' || c == '*') {
      // The character after it, two bytes when double-byte (yyyy\年m\月d\日).
      if (i + 1 < code.size() && static_cast<unsigned char>(code[i + 1]) >= 0x80) ++i;
      ++i;
    } else if (c == '[') {
      std::size_t close = code.find(']', i + 1);
      if (close == std::string_view::npos) break;
      // Elapsed time, [h] [mm] [ss], is a time of its own.
      std::string_view inside = code.substr(i + 1, close - i - 1);
      if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string_view::npos) {
        hour = hour || inside[0] == 'h' || inside[0] == 'H';
        second = second || inside[0] == 's' || inside[0] == 'S';
        month = month || inside[0] == 'm' || inside[0] == 'M';
      }
      i = close;
    } else if (static_cast<unsigned char>(c) >= 0x80) {
      ++i;  // a double-byte character, whose trail byte may look like a letter
    } else {
      const char letter = char(c | 0x20);  // lower case; no other character becomes one
      year = year || letter == 'y' || letter == 'e';
      day = day || letter == 'd';
      month = month || letter == 'm';
      hour = hour || letter == 'h';
      second = second || letter == 's';
    }
  }
  // "m" is the minute beside an hour or a second, else the month. "E" is an exponent in a
  // number code ("0.00E+00") and the era year only beside other date parts.
  CodeShows shows;
  shows.time = hour || second;
  shows.date = day || (year && (month || day)) || (month && !shows.time);
  return shows;
}

// The 年月日 text, with the time of day when `withTime`; the time of day alone when not
// `withDate` ("0时" at midnight, which the full text leaves out).
std::string dateTimeShown(const XlDateTime& date, bool withDate, bool withTime) {
  platform::CivilTime day{date.year, date.month, date.day, 0, 0, 0};
  const std::string dayText = platform::dateTimeText(day);
  if (!withTime) return dayText;
  platform::CivilTime full{date.year, date.month, date.day, date.hour, date.minute, date.second};
  const std::string fullText = platform::dateTimeText(full);
  if (withDate) return fullText;
  std::string timeText = fullText.substr(dayText.size());
  return timeText.empty() ? formatted("%d时", 0) : timeText;
}

}  // namespace

std::string renderNumberCell(std::string_view basicText, double value, const XlDateTime& date,
                             std::string_view numberFormat) {
  const std::string format(numberFormat);
  if (format == "9" || format == "10" || format == "0.0000%") {
    double number = std::strtod(std::string(basicText).c_str(), nullptr);
    return platform::numberText(number * 100) + "%";
  }
  if (format == "14") return formatted("%04d-%d-%d", date.year, date.month, date.day);
  // Times use the 24-hour clock, as the workbook shows them: 13:05 stays 13:05.
  if (format == "20" || format == "h:mm;@")
    return dropOneLeadingZero(formatted("%02d:%02d", date.hour, date.minute));
  if (format == "58") return formatted("%d月%d日", date.month, date.day);
  if (format == "32") return dropOneLeadingZero(formatted("%02d时%02d分", date.hour, date.minute));
  if (format == "31") return formatted("%04d年%d月%d日", date.year, date.month, date.day);
  static constexpr const char* kFixedDecimals[] = {"0.0_ ", "0.00_ ", "0.000_ ", "0.0000_ "};
  for (int decimals = 1; decimals <= 4; ++decimals) {
    if (format == kFixedDecimals[decimals - 1])
      return platform::numberText(roundDecimals(value, decimals));
  }
  // The other built-in time formats (h:mm AM/PM, h:mm:ss, mm:ss, [h]:mm:ss, ...) show the time
  // of day alone, not the day 30 December 1899 that a bare time is as a date.
  static constexpr const char* kTimeOnlyIds[] = {"18", "19", "21", "45", "46", "47"};
  for (const char* id : kTimeOnlyIds)
    if (format == id) return dateTimeShown(date, false, true);
  // Other built-in formats come as their id alone; a custom one (a workbook written by another
  // program numbers its own date formats) is read by what its code shows.
  if (format.find_first_not_of("0123456789") != std::string::npos) {
    const CodeShows shows = whatCodeShows(format);
    if (shows.date || shows.time) return dateTimeShown(date, shows.date, shows.time);
  }
  return std::string(basicText);
}

std::string tableCellText(const XlSheet& sheet, int row, int col, std::size_t* unstorable) {
  // Only number cells need their format, and of it only the number format.
  const int type = sheet.cellType(row, col);
  if (type == XlSheet::kString && unstorable) return sheet.readStrCounted(row, col, *unstorable);
  std::string basic = sheet.readText(row, col);
  if (basic.empty() || type != XlSheet::kNumber) return basic;
  return renderNumberCell(basic, sheet.readNum(row, col), sheet.readDate(row, col),
                          sheet.numberFormat(row, col));
}

}  // namespace importer
