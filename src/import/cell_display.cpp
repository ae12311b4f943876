#include "import/cell_display.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "import/xl_sheet.h"
#include "platform/cp936.h"
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
