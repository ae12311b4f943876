// Loading the first (or a chosen) worksheet of a workbook into an import table, the way the
// import form fills its list: provisioning the spreadsheet library first, then every cell as
// the table shows it. Texts are GBK.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "import/import_table.h"
#include "import/work_report.h"

namespace importer {

struct SheetLoadOptions {
  // The library file written beside the program gets the hidden attribute (else archive).
  bool hideLibraryFile = true;
  // 1-based worksheet; the first one unless 1 <= sheetNumber <= the sheet count.
  int sheetNumber = 0;
  // A sheet number outside 1 ... the sheet count is refused (noSuchSheet) instead.
  bool refuseMissingSheet = false;
  // Sheet row 0 gives the column titles and the data starts at row 1; else every row is data.
  bool headerRow = true;
  // Delete every column and add one untitled column per sheet column; else keep the columns.
  bool rebuildColumns = true;
  // Width of rebuilt columns, in pixels; 80 unless greater than 0.
  int columnWidth = 80;
};

enum class SheetLoadError {
  none,
  libraryUnavailable,  // the library file could not be put in place
  notAFile,            // no regular file at that path (a folder, a pipe, a device, nothing)
  cannotLoad,          // neither an .xls nor an .xlsx book; `detail` holds the library's reason
  noWorksheet,
  noSuchSheet,
  stopped,  // the report asked to stop during the fill
};

struct SheetLoadResult {
  SheetLoadError error = SheetLoadError::none;
  std::string detail;  // GBK; for cannotLoad
  // The workbook's worksheets in order (GBK), once it loaded, so a caller can offer them.
  std::vector<std::string> sheetNames;
};

// Steps after the file was chosen: library provisioning, load, fill. `libraryFolder` is where
// the library file goes (the run directory for the program). The fill reports its rows to
// `report` (stage reading) and stops when it says so. The question and answer cells of each
// row add their unstorable characters to the row's count.
SheetLoadResult loadSheetIntoTable(const std::filesystem::path& workbook, ImportTable& table,
                                   const SheetLoadOptions& options = {},
                                   const std::filesystem::path& libraryFolder = {},
                                   WorkReport* report = nullptr);

}  // namespace importer
