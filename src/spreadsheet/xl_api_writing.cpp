// The exported functions that fill a book and save it: exception-proof wrappers over the book
// objects' writing side.
#include <limits>
#include <string>

#include "spreadsheet/book_object.h"

extern "C" {

SheetHandle XLAPI xlBookAddSheetW(BookHandle book, const XlChar* name) {
  if (!book || !name) return nullptr;
  if (book->kind != xlbook::Kind::Xlsx) {
    book->error = u"only .xlsx books are written";
    return nullptr;
  }
  try {
    return book->addSheet(name);
  } catch (...) {
    return nullptr;
  }
}

int XLAPI xlSheetWriteStrW(SheetHandle sheet, int row, int col, const XlChar* value) {
  if (!sheet || !value || row < 0 || col < 0) return 0;
  try {
    return sheet->book->writeString(sheet->index, static_cast<std::uint32_t>(row),
                                    static_cast<std::uint32_t>(col), value)
               ? 1
               : 0;
  } catch (...) {
    sheet->book->error = u"not enough memory to hold the cell";
    return 0;
  }
}

int XLAPI xlBookSaveRawW(BookHandle book, const char** data, unsigned* size) {
  if (!book || !data || !size) return 0;
  try {
    book->saved.clear();
    std::string package;
    if (!book->saveXlsx(package)) return 0;
    if (package.size() > std::numeric_limits<unsigned>::max()) {
      book->error = u"the workbook is too large";
      return 0;
    }
    book->saved = std::move(package);
    *data = book->saved.data();
    *size = static_cast<unsigned>(book->saved.size());
    return 1;
  } catch (...) {
    return 0;
  }
}

}  // extern "C"
