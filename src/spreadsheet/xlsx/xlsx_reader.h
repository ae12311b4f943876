// Reader of .xlsx and .xlsm workbooks (Office Open XML spreadsheets, Transitional or Strict).
#pragma once
#include <string>
#include <string_view>

#include "spreadsheet/workbook_model.h"

namespace xlsx {

// Fills `book` from the bytes of a workbook package. False with a readable reason in `error`
// when the bytes are not a readable workbook; never throws.
bool readWorkbook(std::string_view bytes, xlmodel::Workbook& book, std::string& error);

}  // namespace xlsx
