// How the import table shows a worksheet cell: the binding's text of the cell, with numbers
// re-rendered by a few number formats (percentages, dates, times, fixed decimals) the way the
// workbook shows them. Texts are GBK.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "import/date_time_text.h"

class XlSheet;

namespace importer {

// The text of cell (row, col) as the import table shows it. With `unstorable`, adds to it the
// characters of the cell that GBK cannot hold (they show as "?").
std::string tableCellText(const XlSheet& sheet, int row, int col,
                          std::size_t* unstorable = nullptr);

// The rendering alone, for a number cell: `basicText` is the binding's text of the cell,
// `value` its number, `date` its number as a date-time and `numberFormat` the number-format
// text of its format (a built-in id below 60 as decimal text, else the custom code).
// Returns `basicText` unchanged when no rule applies.
std::string renderNumberCell(std::string_view basicText, double value, const XlDateTime& date,
                             std::string_view numberFormat);

}  // namespace importer
