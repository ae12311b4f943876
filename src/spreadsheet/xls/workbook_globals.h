// The workbook globals substream of a BIFF8 stream: strings, formats, fonts, cell styles,
// sheet list and workbook settings.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/workbook_model.h"

namespace xls {

struct SheetEntry {
  std::u16string name;
  std::uint32_t offset = 0;  // of the sheet's BOF record in the stream
  std::uint8_t type = 0;     // 0 worksheet, 1 macro sheet, 2 chart, 6 VB module
};

struct Globals {
  std::vector<SheetEntry> sheets;     // in file order, every kind
  std::uint32_t activeTab = 0;        // index into `sheets`
  std::size_t sharedStringCount = 0;  // the first entries of Workbook::strings
};

// Reads from the start of the stream (a BIFF8 globals BOF) to the globals EOF. Fills the
// workbook-wide parts of `book`.
bool readGlobals(std::string_view stream, xlmodel::Workbook& book, Globals& globals,
                 std::string& error);

}  // namespace xls
