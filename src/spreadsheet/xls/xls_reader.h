// Reader of .xls workbooks: BIFF8 records inside an OLE compound file.
#pragma once
#include <string>
#include <string_view>

#include "spreadsheet/workbook_model.h"

namespace xls {

// True when the bytes start like an OLE compound file.
bool looksLikeCompoundFile(std::string_view bytes);

// Fills `book` from a BIFF8 workbook. False with a readable reason in `error` when the file is
// damaged, encrypted, older than BIFF8 or otherwise unreadable; never throws.
bool readWorkbook(std::string_view bytes, xlmodel::Workbook& book, std::string& error);

}  // namespace xls
