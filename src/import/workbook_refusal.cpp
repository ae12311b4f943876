#include "import/workbook_refusal.h"

namespace importer {

WorkbookRefusal workbookRefusalOf(std::string_view loadFailure) {
  auto says = [loadFailure](std::string_view words) {
    return loadFailure.find(words) != std::string_view::npos;
  };
  // The most specific first: a damaged package may also name an encrypted entry.
  if (says("encrypted")) return WorkbookRefusal::encrypted;
  if (says("(BIFF5)") || says("(BIFF2-BIFF4)")) return WorkbookRefusal::tooOld;
  if (says("damaged") || says("truncated") || says("cut short")) return WorkbookRefusal::damaged;
  return WorkbookRefusal::notAWorkbook;
}

}  // namespace importer
