// Loads arbitrary bytes as an .xlsx workbook and reads every cell with its format, the way
// the library's exported functions do.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "spreadsheet/book_object.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  XlBookObject book(xlbook::Kind::Xlsx);
  if (!book.load(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  // Texts leave the library zero-terminated: a NUL inside one would cut it short.
  for (const auto& text : book.model.strings)
    if (text.find(u'\0') != std::u16string::npos) __builtin_trap();
  for (std::uint32_t s = 0; s < book.model.sheets.size(); ++s) {
    for (const auto& cell : book.model.sheets[s].cells) {
      if (cell.row >= 1048576 || cell.col >= 16384) __builtin_trap();  // off the grid
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
