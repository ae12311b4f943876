// Loads arbitrary bytes as an .xlsx workbook and reads every cell with its format, the way
// the library's exported functions do.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "spreadsheet/book_object.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  XlBookObject book(xlbook::Kind::Xlsx);
  if (!book.load(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  for (std::uint32_t s = 0; s < book.model.sheets.size(); ++s) {
    for (const auto& cell : book.model.sheets[s].cells) {
      const auto* found = book.cell(s, static_cast<int>(cell.row), static_cast<int>(cell.col));
      if (!found) __builtin_trap();  // every stored cell must be found again
      volatile bool date = book.formats[book.xfOf(*found)].isDate;
      (void)date;
      if (found->type == xlmodel::CellType::String && found->text >= book.model.strings.size())
        __builtin_trap();
    }
  }
  return 0;
}
