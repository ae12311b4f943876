// Writing a workbook model as an .xlsx package: the content types, the relationships, the
// workbook, one worksheet part per sheet, the shared strings and a minimal style sheet.
// Text cells only (other cell types are left out); every text goes through the shared strings.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "spreadsheet/workbook_model.h"

namespace xlsx {

// Excel refuses a cell holding more characters than this (UTF-16 units).
inline constexpr std::size_t kMaxCellText = 32767;

// The package's bytes; false with a reason when the model cannot be written.
bool writeWorkbook(const xlmodel::Workbook& model, std::string& out, std::string& error);

// A text as XML element content in UTF-8: '&', '<', '>' as entities, a carriage return as a
// character reference (a reader would otherwise fold "\r\n" into "\n"), characters XML cannot
// hold and a literal "_xHHHH_" in Excel's own _xHHHH_ escape. Exposed for the tests.
void appendEscapedText(std::u16string_view text, std::string& out);

}  // namespace xlsx
