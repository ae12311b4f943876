#include "oracle_table.h"

#include <fstream>
#include <sstream>

namespace xls_test {
namespace {

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

}  // namespace

std::u16string fromUtf16Hex(std::string_view hex) {
  std::u16string text;
  for (std::size_t i = 0; i + 4 <= hex.size(); i += 4) {
    unsigned low = std::stoul(std::string(hex.substr(i, 2)), nullptr, 16);
    unsigned high = std::stoul(std::string(hex.substr(i + 2, 2)), nullptr, 16);
    text.push_back(static_cast<char16_t>(low | (high << 8)));
  }
  return text;
}

std::string readFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

OracleTable loadOracleTable(const std::string& path) {
  OracleTable table;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f = splitTabs(line);
    if (f[0] == "F" && f.size() >= 4) {
      OracleBook book;
      book.path = f[1];
      book.group = f[2];
      book.referenceOpened = f[3] == "ok";
      table.books.push_back(std::move(book));
    } else if (f[0] == "M" && f.size() >= 3 && !table.books.empty()) {
      OracleBook& book = table.books.back();
      book.hasCells = true;
      book.date1904 = f[1] == "1";
      for (std::size_t i = 3; i < f.size(); ++i) book.sheetNames.push_back(fromUtf16Hex(f[i]));
    } else if (f[0] == "C" && f.size() >= 7 && !table.books.empty()) {
      OracleCell cell;
      cell.row = static_cast<std::uint32_t>(std::stoul(f[1]));
      cell.col = static_cast<std::uint32_t>(std::stoul(f[2]));
      cell.kind = f[3][0];
      cell.value = f[4];
      cell.fmtId = f[5] == "-" ? -1 : std::stol(f[5]);
      if (f[6] != "-") cell.fmt = fromUtf16Hex(f[6]);
      table.books.back().cells.push_back(std::move(cell));
    } else if (f[0] == "Q" && f.size() >= 8) {
      ExpectedCell expected;
      expected.path = f[1];
      expected.cell.row = static_cast<std::uint32_t>(std::stoul(f[2]));
      expected.cell.col = static_cast<std::uint32_t>(std::stoul(f[3]));
      expected.cell.kind = f[4][0];
      expected.cell.value = f[5];
      expected.fmtKind = f[6];
      expected.fmtValue = f[7];
      table.expected.push_back(std::move(expected));
    }
  }
  return table;
}

}  // namespace xls_test
