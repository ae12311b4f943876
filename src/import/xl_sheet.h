// XlSheet: a worksheet of a book held by the spreadsheet library, read cell by cell.
// Texts are GBK. Rows and columns are 0-based; every read checks the handle first.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "import/date_time_text.h"
#include "import/xl_records.h"
#include "spreadsheet/xl_api.h"

class XlSheet {
 public:
  // Cell types as the library reports them.
  static constexpr int kEmpty = 0, kNumber = 1, kString = 2, kBoolean = 3, kBlank = 4, kError = 5;

  XlSheet() = default;
  XlSheet(SheetHandle sheet, BookHandle book) : sheet_(sheet), book_(book) {}

  SheetHandle handle() const { return sheet_; }
  BookHandle book() const { return book_; }

  // "B3" (any case) to row 2, column 1; false when the text is no cell address.
  bool resolveCell(std::string_view address, int& row, int& col) const;

  int cellType(int row, int col) const;
  bool isDate(int row, int col) const;
  // Each read can also hand back the cell's format record.
  std::string readStr(int row, int col, XlFormatRecord* format = nullptr) const;
  // As readStr, adding to `unstorable` the characters GBK cannot hold (each became "?").
  std::string readStrCounted(int row, int col, std::size_t& unstorable) const;
  double readNum(int row, int col, XlFormatRecord* format = nullptr) const;
  bool readBool(int row, int col, XlFormatRecord* format = nullptr) const;
  XlDateTime readDate(int row, int col, XlFormatRecord* format = nullptr) const;
  // The cell as text: numbers as "%.13g" (dates as 年月日 text), strings as they are,
  // Booleans as "TRUE"/"FALSE"; empty, blank and error cells as the empty text.
  std::string readText(int row, int col, XlFormatRecord* format = nullptr) const;
  std::string readText(std::string_view address, XlFormatRecord* format = nullptr) const;

  XlFormatRecord cellFormat(int row, int col) const;
  // The number-format text of the cell's format alone, as its format record holds it.
  std::string numberFormat(int row, int col) const;
  XlFormatRecord formatRecord(FormatHandle format) const;
  XlFontRecord fontRecord(FontHandle font) const;

  // The used area; the filled variants skip blank cells. Last row and column are one past.
  int firstRow(bool filled = true) const;
  int lastRow(bool filled = true) const;
  int firstCol(bool filled = true) const;
  int lastCol(bool filled = true) const;

  // Search over the filled area, row by row, each cell read with readText: a cell matches
  // when its text equals the search text (exact) or contains it. findNext starts one cell
  // after the last match. Row and column are -1 when nothing more matches.
  bool findFirst(std::string_view text, bool exact, int& row, int& col);
  bool findNext(int& row, int& col);

  // Moves (row, col) to the first cell of a type other than empty at or after it, row by row;
  // false when there is none.
  bool nextCell(int& row, int& col) const;

  // Stores a text cell (GBK), for a book being written; false when the library refuses it.
  bool writeStr(int row, int col, std::string_view text) const;

 private:
  void giveFormat(FormatHandle handle, XlFormatRecord* format) const;
  std::string numberFormatText(FormatHandle format) const;
  bool scanFromCursor(int& row, int& col);

  // In the order the program's sheet object keeps them.
  SheetHandle sheet_ = nullptr;
  BookHandle book_ = nullptr;
  int cursorRow_ = 0;
  int cursorCol_ = 0;
  std::string searchText_ = "\xD2";
  bool exactMatch_ = false;
  std::vector<XlFormatRecord> formatCache_;
  std::vector<XlFontRecord> fontCache_;
  std::vector<FontHandle> fontHandles_;
  std::vector<FormatHandle> formatHandles_;
};
