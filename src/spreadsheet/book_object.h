// The objects behind the library's handles: a book holds the workbook model and the sheet,
// format and font objects its handles point to.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/workbook_model.h"
#include "spreadsheet/xl_api.h"

struct XlSheetObject {
  XlBookObject* book;
  std::uint32_t index;
};

struct XlFormatObject {
  XlBookObject* book;
  std::uint32_t index;  // into Workbook::xfs
};

struct XlFontObject {
  XlBookObject* book;
  std::uint32_t index;  // into Workbook::fonts
};

namespace xlbook {

enum class Kind { Xls, Xlsx };

// What each cell format shows, worked out once after loading.
struct FormatInfo {
  int reportedId = 0;  // built-in id, or a custom id with a code in Book::customFormats
  bool isDate = false;
};

// Used range of a sheet; last values are one past the last. Zero everywhere when empty.
struct Bounds {
  int firstRow = 0, lastRow = 0, firstCol = 0, lastCol = 0;
};

struct SheetInfo {
  Bounds all;     // every stored cell, blank ones included
  Bounds filled;  // cells holding a value
};

}  // namespace xlbook

struct XlBookObject {
  explicit XlBookObject(xlbook::Kind kind) : kind(kind) {}

  xlbook::Kind kind;
  bool rgbMode = false;
  xlmodel::Workbook model;
  std::vector<xlbook::FormatInfo> formats;      // one per xf
  std::map<int, std::u16string> customFormats;  // reported custom id -> code
  std::vector<xlbook::SheetInfo> sheetInfo;
  std::vector<std::unique_ptr<XlSheetObject>> sheets;
  std::vector<std::unique_ptr<XlFormatObject>> formatObjects;
  std::vector<std::unique_ptr<XlFontObject>> fontObjects;
  std::u16string error;
  std::u16string returned;  // the last text handed out
  std::string saved;        // the package the last save handed out

  // Replaces the content with the workbook in `bytes`; false with `error` set on failure.
  bool load(std::string_view bytes);
  // Empties the book after a failed load, with the reason as the error message.
  void refuse(std::string_view reason);
  const XlChar* hand(std::u16string text);
  // The cell at (row, col), or nullptr when none is stored there.
  const xlmodel::Cell* cell(std::uint32_t sheet, int row, int col) const;
  // Position in the sheet's cells of the first cell at or after (row, col) in row order.
  std::size_t firstCellFrom(std::uint32_t sheet, std::uint32_t row, std::uint32_t col) const;
  std::uint32_t xfOf(const xlmodel::Cell& cell) const;

  // Writing (book_writing.cpp). A sheet added at the end; nullptr when the name is empty.
  XlSheetObject* addSheet(std::u16string name);
  // Stores a text cell, replacing what (row, col) held; false with `error` set when the text
  // is longer than a cell may hold.
  bool writeString(std::uint32_t sheet, std::uint32_t row, std::uint32_t col, std::u16string text);
  // The book as an .xlsx package; false with `error` set.
  bool saveXlsx(std::string& out);

 private:
  void ensureDefaultFormat();

  void clearContent();

  // Callers read a sheet cell after cell and ask several things of each, so the last position
  // found is tried first: most lookups then cost no search.
  struct LastCell {
    std::uint32_t sheet = 0;
    std::size_t position = static_cast<std::size_t>(-1);
  };
  mutable LastCell lastCell;
};
