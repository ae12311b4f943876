#include "import/sheet_loader.h"

#include <algorithm>
#include <climits>
#include <system_error>

#include "import/cell_display.h"
#include "import/library_file.h"
#include "import/xl_book.h"
#include "platform/run_directory.h"

namespace importer {

SheetLoadResult loadSheetIntoTable(const std::filesystem::path& workbook, ImportTable& table,
                                   const SheetLoadOptions& options,
                                   const std::filesystem::path& libraryFolder, WorkReport* report) {
  WorkReport quiet;
  if (!report) report = &quiet;
  const auto folder = libraryFolder.empty() ? platform::runDirectory() : libraryFolder;
  if (!EnsureLibraryFileIn(folder, options.hideLibraryFile))
    return {SheetLoadError::libraryUnavailable, {}, {}};
  std::error_code ec;
  if (!std::filesystem::is_regular_file(workbook, ec)) return {SheetLoadError::notAFile, {}, {}};
  XlBook book;
  if (!book.load(workbook)) return {SheetLoadError::cannotLoad, book.loadFailure(), {}};

  const int count = book.sheetCount();
  SheetLoadResult loaded;
  for (int index = 0; index < count; ++index) loaded.sheetNames.push_back(book.sheetName(index));
  const bool inRange = options.sheetNumber > 0 && options.sheetNumber <= count;
  if (!inRange && options.refuseMissingSheet) return {SheetLoadError::noSuchSheet, {}, {}};
  XlSheet sheet = book.getSheet(inRange ? options.sheetNumber - 1 : 0);
  if (!sheet.handle()) return {SheetLoadError::noWorksheet, {}, {}};

  const int rowEnd = sheet.lastRow();
  const int columnEnd = sheet.lastCol();
  if (options.rebuildColumns) {
    table.rebuildColumns(columnEnd, options.columnWidth > 0 ? options.columnWidth : 80);
  } else {
    table.deleteAllRows();
  }
  // Sheet columns the table has no column for are read for nothing; skip them.
  const int shownColumns = std::min(columnEnd, table.columnCount());

  int firstDataRow = 0;
  if (options.headerRow) {
    for (int column = 0; column < shownColumns; ++column)
      table.setColumnTitle(column, tableCellText(sheet, 0, column));
    firstDataRow = 1;
  }
  // Rows without a stored cell are only appended: a sheet with one stray cell far down has a
  // million of them, and reading each of their cells would take most of the time.
  const int total = rowEnd - firstDataRow;
  int nextStoredRow = -1;  // the first row at or after the current one with a stored cell
  for (int row = firstDataRow; row < rowEnd; ++row) {
    if (!report->keepGoing()) return {SheetLoadError::stopped, {}, {}};
    if (nextStoredRow < row) {
      int storedRow = row, storedColumn = 0;
      nextStoredRow = sheet.nextCell(storedRow, storedColumn) ? storedRow : INT_MAX;
    }
    const int tableRow = table.appendRow();
    if (nextStoredRow == row) {
      std::size_t unstorable = 0;
      for (int column = 0; column < shownColumns; ++column) {
        const bool stored = column == kQuestionColumn || column == kAnswerColumn;
        table.setCell(tableRow, column,
                      tableCellText(sheet, row, column, stored ? &unstorable : nullptr));
      }
      if (unstorable > 0) table.addUnstorable(tableRow, int(unstorable));
    }
    report->progress(WorkStage::reading, row - firstDataRow + 1, total);
  }
  return loaded;
}

}  // namespace importer
