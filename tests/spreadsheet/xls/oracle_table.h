// The flattened reference views of the .xls fixtures (written by make_oracle_table.py).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls_test {

struct OracleCell {
  std::uint32_t row = 0, col = 0;
  char kind = 0;       // n number, s string, b Boolean, e error, k blank (expected cells only)
  std::string value;   // number as round-trip text, string as UTF-16 hex, 0/1, error code
  long fmtId = -1;     // -1 when not given
  std::u16string fmt;  // the reference reader's format text
};

struct OracleBook {
  std::string path;  // relative to the fixtures folder
  std::string group;
  bool referenceOpened = false;
  bool hasCells = false;
  bool date1904 = false;
  std::vector<std::u16string> sheetNames;
  std::vector<OracleCell> cells;
};

struct ExpectedCell {
  std::string path;
  OracleCell cell;
  std::string fmtKind;  // "id", "code" or "-"
  std::string fmtValue;
};

struct OracleTable {
  std::vector<OracleBook> books;
  std::vector<ExpectedCell> expected;
};

OracleTable loadOracleTable(const std::string& path);
std::u16string fromUtf16Hex(std::string_view hex);
std::string readFileBytes(const std::string& path);

}  // namespace xls_test
