#include "import/xl_sheet.h"

#include <algorithm>

#include "import/xl_binding.h"
#include "platform/cp936.h"
#include "platform/date_time.h"
#include "platform/gbk_text.h"
#include "platform/number_text.h"

namespace {

constexpr double kEarliestDate = -657434;
constexpr double kLatestDate = 2958465;
constexpr int kFirstCustomFormat = 60;

std::string fromLibrary(const XlChar* text) {
  return text ? cp936::fromUtf16(std::u16string_view(text)) : std::string();
}

}  // namespace

bool XlSheet::resolveCell(std::string_view address, int& row, int& col) const {
  if (!sheet_) return false;
  std::u16string wide = cp936::toUtf16(gbk::toUpperAscii(address));
  return XLCALL(xlSheetAddrToRowColW)(sheet_, wide.c_str(), &row, &col, nullptr, nullptr) != 0;
}

int XlSheet::cellType(int row, int col) const {
  return sheet_ ? XLCALL(xlSheetCellTypeW)(sheet_, row, col) : kEmpty;
}

bool XlSheet::isDate(int row, int col) const {
  return sheet_ && XLCALL(xlSheetIsDateW)(sheet_, row, col) != 0;
}

void XlSheet::giveFormat(FormatHandle handle, XlFormatRecord* format) const {
  if (format) *format = formatRecord(handle);
}

std::string XlSheet::readStr(int row, int col, XlFormatRecord* format) const {
  if (!sheet_) return {};
  FormatHandle handle = nullptr;
  std::string text = fromLibrary(XLCALL(xlSheetReadStrW)(sheet_, row, col, &handle));
  giveFormat(handle, format);
  return text;
}

std::string XlSheet::readStrCounted(int row, int col, std::size_t& unstorable) const {
  if (!sheet_) return {};
  FormatHandle handle = nullptr;
  const XlChar* text = XLCALL(xlSheetReadStrW)(sheet_, row, col, &handle);
  if (!text) return {};
  const std::u16string_view wide(text);
  std::string converted = cp936::fromUtf16(wide);
  // Every lost character became a "?": without one, nothing was lost and nothing is counted.
  if (converted.find('?') != std::string::npos) unstorable += cp936::unmappableCharacters(wide);
  return converted;
}

double XlSheet::readNum(int row, int col, XlFormatRecord* format) const {
  if (!sheet_) return 0;
  FormatHandle handle = nullptr;
  double value = XLCALL(xlSheetReadNumW)(sheet_, row, col, &handle);
  giveFormat(handle, format);
  return value;
}

bool XlSheet::readBool(int row, int col, XlFormatRecord* format) const {
  if (!sheet_) return false;
  FormatHandle handle = nullptr;
  bool value = XLCALL(xlSheetReadBoolW)(sheet_, row, col, &handle) != 0;
  giveFormat(handle, format);
  return value;
}

XlDateTime XlSheet::readDate(int row, int col, XlFormatRecord* format) const {
  XlDateTime date;
  if (!sheet_) return date;
  double value = std::clamp(readNum(row, col, format), kEarliestDate, kLatestDate);
  int millisecond = 0;
  XLCALL(xlBookDateUnpackW)
  (book_, value, &date.year, &date.month, &date.day, &date.hour, &date.minute, &date.second,
   &millisecond);
  return date;
}

std::string XlSheet::readText(int row, int col, XlFormatRecord* format) const {
  switch (cellType(row, col)) {
    case kNumber:
      if (isDate(row, col)) {
        const XlDateTime d = readDate(row, col, format);
        return platform::dateTimeText({d.year, d.month, d.day, d.hour, d.minute, d.second});
      }
      return platform::numberText(readNum(row, col, format));
    case kString:
      return readStr(row, col, format);
    case kBoolean:
      return readBool(row, col, format) ? "TRUE" : "FALSE";
    default:
      return {};
  }
}

std::string XlSheet::readText(std::string_view address, XlFormatRecord* format) const {
  int row, col;
  return resolveCell(address, row, col) ? readText(row, col, format) : std::string();
}

XlFormatRecord XlSheet::cellFormat(int row, int col) const {
  if (!sheet_) return XlFormatRecord();
  return formatRecord(XLCALL(xlSheetCellFormatW)(sheet_, row, col));
}

std::string XlSheet::numberFormat(int row, int col) const {
  if (!sheet_) return XlFormatRecord().numberFormat;
  return numberFormatText(XLCALL(xlSheetCellFormatW)(sheet_, row, col));
}

std::string XlSheet::numberFormatText(FormatHandle format) const {
  if (!format || !book_) return XlFormatRecord().numberFormat;
  int id = XLCALL(xlFormatNumFormatW)(format);
  return id < kFirstCustomFormat ? std::to_string(id)
                                 : fromLibrary(XLCALL(xlBookCustomNumFormatW)(book_, id));
}

XlFormatRecord XlSheet::formatRecord(FormatHandle format) const {
  XlFormatRecord record;
  if (!format || !book_) return record;
  record.numberFormat = numberFormatText(format);
  record.font = fontRecord(XLCALL(xlFormatFontW)(format));
  return record;
}

XlFontRecord XlSheet::fontRecord(FontHandle font) const {
  XlFontRecord record;
  if (!font || !book_) return record;
  record.name = fromLibrary(XLCALL(xlFontNameW)(font));
  record.size = XLCALL(xlFontSizeW)(font);
  record.italic = XLCALL(xlFontItalicW)(font) != 0;
  int red = 0, green = 0, blue = 0;
  XLCALL(xlBookColorUnpackW)(book_, XLCALL(xlFontColorW)(font), &red, &green, &blue);
  record.color = red + green * 256 + blue * 65536;
  record.bold = XLCALL(xlFontBoldW)(font) != 0;
  record.script = XLCALL(xlFontScriptW)(font);
  record.underline = XLCALL(xlFontUnderlineW)(font);
  record.strikeOut = XLCALL(xlFontStrikeOutW)(font) != 0;
  return record;
}

int XlSheet::firstRow(bool filled) const {
  if (!sheet_) return 0;
  return filled ? XLCALL(xlSheetFirstFilledRowW)(sheet_) : XLCALL(xlSheetFirstRowW)(sheet_);
}

int XlSheet::lastRow(bool filled) const {
  if (!sheet_) return 0;
  return filled ? XLCALL(xlSheetLastFilledRowW)(sheet_) : XLCALL(xlSheetLastRowW)(sheet_);
}

int XlSheet::firstCol(bool filled) const {
  if (!sheet_) return 0;
  return filled ? XLCALL(xlSheetFirstFilledColW)(sheet_) : XLCALL(xlSheetFirstColW)(sheet_);
}

int XlSheet::lastCol(bool filled) const {
  if (!sheet_) return 0;
  return filled ? XLCALL(xlSheetLastFilledColW)(sheet_) : XLCALL(xlSheetLastColW)(sheet_);
}

bool XlSheet::nextCell(int& row, int& col) const {
  return sheet_ && XLCALL(xlSheetNextCellW)(sheet_, &row, &col) != 0;
}

bool XlSheet::findFirst(std::string_view text, bool exact, int& row, int& col) {
  searchText_ = std::string(text);
  exactMatch_ = exact;
  cursorRow_ = 0;
  cursorCol_ = 0;
  return scanFromCursor(row, col);
}

bool XlSheet::findNext(int& row, int& col) {
  if (++cursorCol_ >= lastCol()) {
    cursorCol_ = 0;
    ++cursorRow_;
  }
  return scanFromCursor(row, col);
}

bool XlSheet::scanFromCursor(int& row, int& col) {
  const int rows = lastRow(), cols = lastCol();
  for (; sheet_ && cursorRow_ < rows; ++cursorRow_, cursorCol_ = 0) {
    for (; cursorCol_ < cols; ++cursorCol_) {
      std::string text = readText(cursorRow_, cursorCol_);
      if (exactMatch_ ? text == searchText_ : gbk::find(text, searchText_) != gbk::npos) {
        row = cursorRow_;
        col = cursorCol_;
        return true;
      }
    }
  }
  row = col = -1;
  return false;
}

bool XlSheet::writeStr(int row, int col, std::string_view text) const {
  return sheet_ && XLCALL(xlSheetWriteStrW)(sheet_, row, col, cp936::toUtf16(text).c_str()) != 0;
}
