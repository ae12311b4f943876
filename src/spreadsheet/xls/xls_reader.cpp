#include "spreadsheet/xls/xls_reader.h"

namespace xls {

bool looksLikeCompoundFile(std::string_view bytes) {
  return bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

bool readWorkbook(std::string_view, xlmodel::Workbook&, std::string& error) {
  error = "xls reading is not available yet";
  return false;
}

}  // namespace xls
