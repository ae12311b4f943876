// One worksheet substream of a BIFF8 stream: its cells and merged ranges.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "spreadsheet/workbook_model.h"

namespace xls {

// Reads the substream that starts at `begin` and ends at its EOF, or at `end` at the latest.
// Strings of LABEL and formula results are appended to `book.strings`; shared-string indexes
// must be below `sharedStringCount`.
bool readWorksheet(std::string_view stream, std::size_t begin, std::size_t end,
                   std::size_t sharedStringCount, xlmodel::Workbook& book, xlmodel::Sheet& sheet,
                   std::string& error);

}  // namespace xls
