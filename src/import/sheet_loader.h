// Loading the first (or a chosen) worksheet of a workbook into an import table, the way the
// import form fills its list: provisioning the spreadsheet library first, then every cell as
// the table shows it. Texts are GBK.
#pragma once
#include <filesystem>

#include "import/import_table.h"

namespace importer {

struct SheetLoadOptions {
  // The library file written beside the program gets the hidden attribute (else archive).
  bool hideLibraryFile = true;
  // 1-based worksheet; the first one unless 1 <= sheetNumber <= the sheet count.
  int sheetNumber = 0;
  // Sheet row 0 gives the column titles and the data starts at row 1; else every row is data.
  bool headerRow = true;
  // Delete every column and add one untitled column per sheet column; else keep the columns.
  bool rebuildColumns = true;
  // Width of rebuilt columns, in pixels; 80 unless greater than 0.
  int columnWidth = 80;
};

// Steps after the file was chosen: library provisioning, load, fill. False, with nothing
// reported, when the library cannot be put in place or the workbook cannot be loaded, or the
// table's window went away during the fill. `libraryFolder` is where the library file goes
// (the run directory for the program).
bool loadSheetIntoTable(const std::filesystem::path& workbook, ImportTable& table,
                        const SheetLoadOptions& options = {},
                        const std::filesystem::path& libraryFolder = {});

}  // namespace importer
