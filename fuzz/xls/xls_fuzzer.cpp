// Feeds arbitrary bytes to the .xls reader: it must refuse or read them, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "spreadsheet/xls/xls_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  xlmodel::Workbook book;
  std::string error;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!xls::readWorkbook(bytes, book, error) && error.empty()) __builtin_trap();
  return 0;
}
