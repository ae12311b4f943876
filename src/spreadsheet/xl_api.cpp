// The exported functions: thin, exception-proof wrappers over the book objects.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>

#include "spreadsheet/book_object.h"
#include "spreadsheet/cell_address.h"
#include "spreadsheet/date_serial.h"
#include "spreadsheet/workbook_file.h"

namespace {

template <typename Result, typename Body>
Result guarded(Result fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

template <typename Body>
void guardedVoid(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

const XlChar kEmptyText[] = u"";

const xlmodel::Cell* cellAt(SheetHandle sheet, int row, int col) {
  return sheet ? sheet->book->cell(sheet->index, row, col) : nullptr;
}

void giveFormat(SheetHandle sheet, const xlmodel::Cell& cell, FormatHandle* format) {
  if (format) *format = sheet->book->formatObjects[sheet->book->xfOf(cell)].get();
}

const xlbook::SheetInfo* infoOf(SheetHandle sheet) {
  if (!sheet || sheet->index >= sheet->book->sheetInfo.size()) return nullptr;
  return &sheet->book->sheetInfo[sheet->index];
}

int packColor(int red, int green, int blue) {
  return static_cast<int>(0xFF000000u | (static_cast<unsigned>(red & 0xFF) << 16) |
                          (static_cast<unsigned>(green & 0xFF) << 8) |
                          static_cast<unsigned>(blue & 0xFF));
}

std::u16string columnLetters(int col) {
  std::u16string letters;
  for (int value = col + 1; value > 0; value = (value - 1) / 26)
    letters.insert(letters.begin(), static_cast<char16_t>(u'A' + (value - 1) % 26));
  return letters;
}

bool loadFile(BookHandle book, const XlChar* path) {
  std::string bytes, reason;
  std::filesystem::path file;
  try {
    file = std::filesystem::path(std::u16string_view(path));
  } catch (const std::exception&) {
    book->refuse("the path is not valid text");
    return false;
  }
  if (!xlfile::readWorkbookFile(file, bytes, reason)) {
    book->refuse(reason);
    return false;
  }
  return book->load(bytes);
}

}  // namespace

extern "C" {

BookHandle XLAPI xlCreateBookCW(void) {
  return guarded<BookHandle>(nullptr, [] { return new XlBookObject(xlbook::Kind::Xls); });
}

BookHandle XLAPI xlCreateXMLBookCW(void) {
  return guarded<BookHandle>(nullptr, [] { return new XlBookObject(xlbook::Kind::Xlsx); });
}

int XLAPI xlBookLoadW(BookHandle book, const XlChar* path) {
  if (!book || !path) return 0;
  return guarded(0, [&] {
    try {
      return loadFile(book, path) ? 1 : 0;
    } catch (const std::bad_alloc&) {
      book->refuse("not enough memory to read the workbook");
    } catch (...) {
      book->refuse("the workbook could not be read");
    }
    return 0;
  });
}

int XLAPI xlBookLoadRawW(BookHandle book, const char* data, unsigned size) {
  if (!book || (!data && size)) return 0;
  return guarded(0, [&] { return book->load(std::string_view(data, size)) ? 1 : 0; });
}

void XLAPI xlBookReleaseW(BookHandle book) { delete book; }

int XLAPI xlBookSheetCountW(BookHandle book) {
  return book ? static_cast<int>(book->sheets.size()) : 0;
}

SheetHandle XLAPI xlBookGetSheetW(BookHandle book, int index) {
  if (!book || index < 0 || static_cast<std::size_t>(index) >= book->sheets.size()) return nullptr;
  return book->sheets[static_cast<std::size_t>(index)].get();
}

const XlChar* XLAPI xlBookGetSheetNameW(BookHandle book, int index) {
  if (!book || index < 0 || static_cast<std::size_t>(index) >= book->sheets.size()) return nullptr;
  return guarded<const XlChar*>(nullptr, [&] {
    return book->hand(book->model.sheets[static_cast<std::size_t>(index)].name);
  });
}

int XLAPI xlBookSheetTypeW(BookHandle book, int index) {
  // 0: worksheet, 2: no such sheet.
  if (!book || index < 0 || static_cast<std::size_t>(index) >= book->sheets.size()) return 2;
  return 0;
}

int XLAPI xlBookActiveSheetW(BookHandle book) {
  return book ? static_cast<int>(book->model.activeSheet) : 0;
}

void XLAPI xlBookSetActiveSheetW(BookHandle book, int index) {
  if (book && index >= 0 && static_cast<std::size_t>(index) < book->sheets.size())
    book->model.activeSheet = static_cast<std::uint32_t>(index);
}

const XlChar* XLAPI xlBookErrorMessageW(BookHandle book) {
  if (!book) return kEmptyText;
  return guarded<const XlChar*>(
      kEmptyText, [&] { return book->hand(book->error.empty() ? u"ok" : book->error); });
}

int XLAPI xlBookRgbModeW(BookHandle book) { return book && book->rgbMode ? 1 : 0; }

void XLAPI xlBookSetRgbModeW(BookHandle book, int rgbMode) {
  if (book) book->rgbMode = rgbMode != 0;
}

int XLAPI xlBookIsDate1904W(BookHandle book) { return book && book->model.date1904 ? 1 : 0; }

double XLAPI xlBookDatePackW(BookHandle book, int year, int month, int day, int hour, int min,
                             int sec, int msec) {
  if (!book) return 0;
  return xldate::pack({year, month, day, hour, min, sec, msec}, book->model.date1904);
}

int XLAPI xlBookDateUnpackW(BookHandle book, double value, int* year, int* month, int* day,
                            int* hour, int* min, int* sec, int* msec) {
  xldate::DateTime date;
  if (!book || !xldate::unpack(value, book->model.date1904, date)) return 0;
  if (year) *year = date.year;
  if (month) *month = date.month;
  if (day) *day = date.day;
  if (hour) *hour = date.hour;
  if (min) *min = date.minute;
  if (sec) *sec = date.second;
  if (msec) *msec = date.millisecond;
  return 1;
}

int XLAPI xlBookColorPackW(BookHandle book, int red, int green, int blue) {
  return book ? packColor(red, green, blue) : 0;
}

void XLAPI xlBookColorUnpackW(BookHandle book, int color, int* red, int* green, int* blue) {
  if (!book) return;
  auto value = static_cast<unsigned>(color);
  if (red) *red = static_cast<int>((value >> 16) & 0xFF);
  if (green) *green = static_cast<int>((value >> 8) & 0xFF);
  if (blue) *blue = static_cast<int>(value & 0xFF);
}

const XlChar* XLAPI xlBookCustomNumFormatW(BookHandle book, int fmt) {
  if (!book) return nullptr;
  auto found = book->customFormats.find(fmt);
  if (found == book->customFormats.end()) return nullptr;
  return guarded<const XlChar*>(nullptr, [&] { return book->hand(found->second); });
}

int XLAPI xlBookFormatSizeW(BookHandle book) {
  return book ? static_cast<int>(book->formatObjects.size()) : 0;
}

FormatHandle XLAPI xlBookFormatW(BookHandle book, int index) {
  if (!book || index < 0 || static_cast<std::size_t>(index) >= book->formatObjects.size())
    return nullptr;
  return book->formatObjects[static_cast<std::size_t>(index)].get();
}

int XLAPI xlBookFontSizeW(BookHandle book) {
  return book ? static_cast<int>(book->fontObjects.size()) : 0;
}

FontHandle XLAPI xlBookFontW(BookHandle book, int index) {
  if (!book || index < 0 || static_cast<std::size_t>(index) >= book->fontObjects.size())
    return nullptr;
  return book->fontObjects[static_cast<std::size_t>(index)].get();
}

int XLAPI xlSheetCellTypeW(SheetHandle sheet, int row, int col) {
  auto* cell = cellAt(sheet, row, col);
  return cell ? static_cast<int>(cell->type) : 0;
}

int XLAPI xlSheetIsFormulaW(SheetHandle sheet, int row, int col) {
  auto* cell = cellAt(sheet, row, col);
  return cell && cell->isFormula ? 1 : 0;
}

int XLAPI xlSheetIsDateW(SheetHandle sheet, int row, int col) {
  auto* cell = cellAt(sheet, row, col);
  return cell && sheet->book->formats[sheet->book->xfOf(*cell)].isDate ? 1 : 0;
}

FormatHandle XLAPI xlSheetCellFormatW(SheetHandle sheet, int row, int col) {
  auto* cell = cellAt(sheet, row, col);
  return cell ? sheet->book->formatObjects[sheet->book->xfOf(*cell)].get() : nullptr;
}

const XlChar* XLAPI xlSheetReadStrW(SheetHandle sheet, int row, int col, FormatHandle* format) {
  auto* cell = cellAt(sheet, row, col);
  if (!cell || cell->type != xlmodel::CellType::String ||
      cell->text >= sheet->book->model.strings.size())
    return nullptr;
  giveFormat(sheet, *cell, format);
  // The book's own copy: it holds no NUL and lives as long as the book.
  return sheet->book->model.strings[cell->text].c_str();
}

double XLAPI xlSheetReadNumW(SheetHandle sheet, int row, int col, FormatHandle* format) {
  auto* cell = cellAt(sheet, row, col);
  if (!cell) return 0;
  giveFormat(sheet, *cell, format);
  if (cell->type == xlmodel::CellType::Number || cell->type == xlmodel::CellType::Boolean)
    return cell->number;
  return 0;
}

int XLAPI xlSheetReadBoolW(SheetHandle sheet, int row, int col, FormatHandle* format) {
  auto* cell = cellAt(sheet, row, col);
  if (!cell) return 0;
  giveFormat(sheet, *cell, format);
  return cell->type == xlmodel::CellType::Boolean && cell->number != 0 ? 1 : 0;
}

int XLAPI xlSheetReadBlankW(SheetHandle sheet, int row, int col, FormatHandle* format) {
  auto* cell = cellAt(sheet, row, col);
  if (!cell || cell->type != xlmodel::CellType::Blank) return 0;
  giveFormat(sheet, *cell, format);
  return 1;
}

int XLAPI xlSheetReadErrorW(SheetHandle sheet, int row, int col) {
  auto* cell = cellAt(sheet, row, col);
  if (!cell || cell->type != xlmodel::CellType::Error) return 0;
  return static_cast<int>(cell->number);
}

int XLAPI xlSheetFirstRowW(SheetHandle sheet) {
  auto* i = infoOf(sheet);
  return i ? i->all.firstRow : 0;
}
int XLAPI xlSheetLastRowW(SheetHandle sheet) {
  auto* i = infoOf(sheet);
  return i ? i->all.lastRow : 0;
}
int XLAPI xlSheetFirstColW(SheetHandle sheet) {
  auto* i = infoOf(sheet);
  return i ? i->all.firstCol : 0;
}
int XLAPI xlSheetLastColW(SheetHandle sheet) {
  auto* i = infoOf(sheet);
  return i ? i->all.lastCol : 0;
}
int XLAPI xlSheetFirstFilledRowW(SheetHandle sheet) {
  auto* i = infoOf(sheet);
  return i ? i->filled.firstRow : 0;
}
int XLAPI xlSheetLastFilledRowW(SheetHandle sheet) {
  auto* i = infoOf(sheet);
  return i ? i->filled.lastRow : 0;
}
int XLAPI xlSheetFirstFilledColW(SheetHandle sheet) {
  auto* i = infoOf(sheet);
  return i ? i->filled.firstCol : 0;
}
int XLAPI xlSheetLastFilledColW(SheetHandle sheet) {
  auto* i = infoOf(sheet);
  return i ? i->filled.lastCol : 0;
}

int XLAPI xlSheetNextCellW(SheetHandle sheet, int* row, int* col) {
  if (!sheet || !row || !col) return 0;
  const auto& cells = sheet->book->model.sheets[sheet->index].cells;
  auto r = static_cast<std::uint32_t>(std::max(*row, 0));
  auto c = *row < 0 ? 0u : static_cast<std::uint32_t>(std::max(*col, 0));
  std::size_t at = sheet->book->firstCellFrom(sheet->index, r, c);
  while (at < cells.size() && cells[at].type == xlmodel::CellType::Empty) ++at;
  if (at == cells.size()) return 0;
  *row = static_cast<int>(cells[at].row);
  *col = static_cast<int>(cells[at].col);
  return 1;
}

const XlChar* XLAPI xlSheetNameW(SheetHandle sheet) {
  if (!sheet) return nullptr;
  return guarded<const XlChar*>(
      nullptr, [&] { return sheet->book->hand(sheet->book->model.sheets[sheet->index].name); });
}

int XLAPI xlSheetMergeSizeW(SheetHandle sheet) {
  return sheet ? static_cast<int>(sheet->book->model.sheets[sheet->index].mergedRanges.size() / 4)
               : 0;
}

int XLAPI xlSheetMergeW(SheetHandle sheet, int index, int* rowFirst, int* rowLast, int* colFirst,
                        int* colLast) {
  if (!sheet || index < 0) return 0;
  const auto& ranges = sheet->book->model.sheets[sheet->index].mergedRanges;
  auto at = static_cast<std::size_t>(index) * 4;
  if (at + 4 > ranges.size()) return 0;
  if (rowFirst) *rowFirst = static_cast<int>(ranges[at]);
  if (rowLast) *rowLast = static_cast<int>(ranges[at + 1]);
  if (colFirst) *colFirst = static_cast<int>(ranges[at + 2]);
  if (colLast) *colLast = static_cast<int>(ranges[at + 3]);
  return 1;
}

int XLAPI xlSheetGetMergeW(SheetHandle sheet, int row, int col, int* rowFirst, int* rowLast,
                           int* colFirst, int* colLast) {
  if (!sheet || row < 0 || col < 0) return 0;
  const auto& ranges = sheet->book->model.sheets[sheet->index].mergedRanges;
  auto r = static_cast<std::uint32_t>(row), c = static_cast<std::uint32_t>(col);
  for (std::size_t at = 0; at + 4 <= ranges.size(); at += 4) {
    if (r >= ranges[at] && r <= ranges[at + 1] && c >= ranges[at + 2] && c <= ranges[at + 3])
      return xlSheetMergeW(sheet, static_cast<int>(at / 4), rowFirst, rowLast, colFirst, colLast);
  }
  return 0;
}

int XLAPI xlSheetAddrToRowColW(SheetHandle sheet, const XlChar* addr, int* row, int* col,
                               int* rowRelative, int* colRelative) {
  if (!sheet || !addr) return 0;
  xl::CellAddress address;
  if (!xl::parseCellAddress(std::u16string_view(addr), address, /*allowAbsolute=*/true)) return 0;
  if (row) *row = static_cast<int>(address.row);
  if (col) *col = static_cast<int>(address.col);
  if (rowRelative) *rowRelative = address.rowAbsolute ? 0 : 1;
  if (colRelative) *colRelative = address.colAbsolute ? 0 : 1;
  return 1;
}

const XlChar* XLAPI xlSheetRowColToAddrW(SheetHandle sheet, int row, int col, int rowRelative,
                                         int colRelative) {
  if (!sheet || row < 0 || col < 0 || row >= 1048576 || col >= 16384) return nullptr;
  return guarded<const XlChar*>(nullptr, [&] {
    std::u16string text;
    if (!colRelative) text += u'$';
    text += columnLetters(col);
    if (!rowRelative) text += u'$';
    for (char c : std::to_string(row + 1)) text += static_cast<char16_t>(c);
    return sheet->book->hand(std::move(text));
  });
}

int XLAPI xlFormatNumFormatW(FormatHandle format) {
  return format ? format->book->formats[format->index].reportedId : 0;
}

FontHandle XLAPI xlFormatFontW(FormatHandle format) {
  if (!format) return nullptr;
  auto& book = *format->book;
  auto font = book.model.xfs[format->index].font;
  return book.fontObjects[font < book.fontObjects.size() ? font : 0].get();
}

const XlChar* XLAPI xlFontNameW(FontHandle font) {
  if (!font) return nullptr;
  return guarded<const XlChar*>(
      nullptr, [&] { return font->book->hand(font->book->model.fonts[font->index].name); });
}

int XLAPI xlFontSizeW(FontHandle font) {
  return font ? static_cast<int>(std::lround(font->book->model.fonts[font->index].size)) : 0;
}

int XLAPI xlFontItalicW(FontHandle font) {
  return font && font->book->model.fonts[font->index].italic ? 1 : 0;
}

int XLAPI xlFontBoldW(FontHandle font) {
  return font && font->book->model.fonts[font->index].bold ? 1 : 0;
}

int XLAPI xlFontColorW(FontHandle font) {
  if (!font) return 0;
  auto rgb = font->book->model.fonts[font->index].color;
  return packColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                   static_cast<int>(rgb & 0xFF));
}

int XLAPI xlFontScriptW(FontHandle font) { return 0; }
int XLAPI xlFontUnderlineW(FontHandle font) { return 0; }
int XLAPI xlFontStrikeOutW(FontHandle font) { return 0; }

}  // extern "C"
