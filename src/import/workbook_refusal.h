// Why the spreadsheet library refused a workbook, sorted into the kinds a user can act on: the
// library says it in one English sentence, the forms say it in their own words.
#pragma once
#include <string_view>

namespace importer {

enum class WorkbookRefusal {
  notAWorkbook,  // not a spreadsheet at all, or nothing more specific is known
  encrypted,     // password protected
  tooOld,        // Excel 5.0/95 or older
  damaged,       // of a known kind but broken or cut short
};

// The kind of a load failure as XlBook::loadFailure() gives it.
WorkbookRefusal workbookRefusalOf(std::string_view loadFailure);

}  // namespace importer
