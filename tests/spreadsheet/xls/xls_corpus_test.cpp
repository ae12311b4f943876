// The reader against real workbooks: cell by cell against an established reader's view, every
// file that must be refused, and the question-bank fixtures against their intended content.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "oracle_table.h"
#include "spreadsheet/xls/xls_reader.h"

namespace {

using xlmodel::CellType;

constexpr long kFirstCustomFormat = 164;
using xls_test::OracleBook;
using xls_test::OracleCell;

const xls_test::OracleTable& oracle() {
  static const xls_test::OracleTable table = xls_test::loadOracleTable(XLS_ORACLE_TABLE);
  return table;
}

std::string fixturePath(const std::string& relative) {
  return std::string(QUORVIX_FIXTURES) + "/" + relative;
}

bool load(const std::string& relative, xlmodel::Workbook& book, std::string& error) {
  return xls::readWorkbook(xls_test::readFileBytes(fixturePath(relative)), book, error);
}

const xlmodel::Cell* findCell(const xlmodel::Sheet& sheet, std::uint32_t row, std::uint32_t col) {
  auto it = std::lower_bound(
      sheet.cells.begin(), sheet.cells.end(), std::make_pair(row, col),
      [](const xlmodel::Cell& c, const std::pair<std::uint32_t, std::uint32_t>& p) {
        return std::make_pair(c.row, c.col) < p;
      });
  return it != sheet.cells.end() && it->row == row && it->col == col ? &*it : nullptr;
}

std::string g13(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.13g", value);
  return text;
}

// Empty when the cell holds what the reference says, else the kind of disagreement.
std::string disagreement(const xlmodel::Workbook& book, const xlmodel::Cell* cell,
                         const OracleCell& expected) {
  if (cell == nullptr) return expected.kind == 'k' ? "" : "missing cell";
  switch (expected.kind) {
    case 'n': {
      if (cell->type != CellType::Number) return "number read as another type";
      double value = std::strtod(expected.value.c_str(), nullptr);
      return cell->number == value || g13(cell->number) == g13(value) ? "" : "number value";
    }
    case 's':
      if (cell->type != CellType::String) return "string read as another type";
      return book.strings.at(cell->text) == xls_test::fromUtf16Hex(expected.value) ? ""
                                                                                   : "string text";
    case 'b':
      if (cell->type != CellType::Boolean) return "Boolean read as another type";
      return cell->number == std::stod(expected.value) ? "" : "Boolean value";
    case 'e':
      if (cell->type != CellType::Error) return "error read as another type";
      return cell->number == std::stod(expected.value) ? "" : "error code";
    case 'k':
      return cell->type == CellType::Blank ||
                     (cell->type == CellType::String && book.strings.at(cell->text).empty())
                 ? ""
                 : "blank read as a value";
  }
  return "unknown kind in the oracle";
}

TEST(XlsCorpus, AgreesWithTheReferenceReaderCellByCell) {
  std::size_t files = 0, cells = 0, agreed = 0, formats = 0, formatsAgreed = 0;
  std::size_t blanks = 0, blanksAgreed = 0, codes = 0, codesAgreed = 0;
  std::map<std::string, std::size_t> kinds;
  std::map<std::string, std::vector<std::string>> examples;
  for (const OracleBook& reference : oracle().books) {
    if (reference.group == "mustfail" || !reference.hasCells) continue;
    SCOPED_TRACE(reference.path);
    xlmodel::Workbook book;
    std::string error;
    if (!load(reference.path, book, error)) {
      ADD_FAILURE() << "does not load: " << error;
      continue;
    }
    ++files;
    EXPECT_EQ(book.date1904, reference.date1904);
    std::vector<std::u16string> names;
    for (const auto& sheet : book.sheets) names.push_back(sheet.name);
    EXPECT_EQ(names, reference.sheetNames);
    const xlmodel::Sheet& sheet = book.sheets.front();
    std::set<std::pair<std::uint32_t, std::uint32_t>> referenced;
    for (const OracleCell& expected : reference.cells) {
      referenced.insert({expected.row, expected.col});
      const xlmodel::Cell* cell = findCell(sheet, expected.row, expected.col);
      if (expected.kind == 'k') {  // styled empty cells, counted apart from the values
        ++blanks;
        blanksAgreed += cell != nullptr && cell->type == CellType::Blank;
        continue;
      }
      std::string kind = disagreement(book, cell, expected);
      ++cells;
      if (kind.empty()) {
        ++agreed;
      } else {
        ++kinds[kind];
        if (examples[kind].size() < 3) {
          examples[kind].push_back(reference.path + " r" + std::to_string(expected.row) + " c" +
                                   std::to_string(expected.col));
        }
      }
      if (cell != nullptr && expected.fmtId >= kFirstCustomFormat) {
        auto custom = book.numFormats.find(static_cast<std::uint32_t>(expected.fmtId));
        ++codes;
        codesAgreed += custom != book.numFormats.end() && custom->second == expected.fmt;
      }
      if (cell != nullptr && expected.fmtId >= 0) {
        ++formats;
        formatsAgreed +=
            book.xfs.at(cell->xf).numFmtId == static_cast<std::uint32_t>(expected.fmtId);
      }
    }
    for (const xlmodel::Cell& cell : sheet.cells) {
      if (!referenced.count({cell.row, cell.col})) ++kinds["cell the reference lacks"];
    }
  }
  double rate = cells ? 100.0 * agreed / cells : 0;
  std::printf(
      "xls agreement: %zu files, %zu of %zu reference cells agree (%.4f%%); blank cells "
      "%zu of %zu; number format ids %zu of %zu, custom codes %zu of %zu\n",
      files, agreed, cells, rate, blanksAgreed, blanks, formatsAgreed, formats, codesAgreed, codes);
  for (const auto& [kind, count] : kinds) {
    std::printf("  %-32s %zu", kind.c_str(), count);
    for (const std::string& example : examples[kind]) std::printf("  [%s]", example.c_str());
    std::printf("\n");
  }
  EXPECT_GT(files, 100u);
  EXPECT_GE(rate, 99.9);
  EXPECT_GE(blanksAgreed, blanks * 999 / 1000);
  EXPECT_GE(formatsAgreed, formats * 999 / 1000);
  EXPECT_GE(codesAgreed, codes * 999 / 1000);
}

TEST(XlsCorpus, LoadsOrRefusesFilesTheReferenceReaderRefused) {
  for (const OracleBook& reference : oracle().books) {
    if (reference.group != "realworld" || reference.hasCells) continue;
    xlmodel::Workbook book;
    std::string error;
    bool loaded = load(reference.path, book, error);
    std::printf("  %s: %s\n", reference.path.c_str(), loaded ? "loaded" : error.c_str());
    if (loaded) {
      EXPECT_FALSE(book.sheets.empty()) << reference.path;
    }
  }
}

TEST(XlsCorpus, RefusesEveryMustFailFileWithAReason) {
  std::map<std::string, std::size_t> reasons;
  std::size_t files = 0;
  for (const OracleBook& reference : oracle().books) {
    if (reference.group != "mustfail") continue;
    ++files;
    xlmodel::Workbook book;
    std::string error;
    EXPECT_FALSE(load(reference.path, book, error)) << reference.path;
    EXPECT_FALSE(error.empty()) << reference.path;
    EXPECT_TRUE(book.sheets.empty() && book.strings.empty()) << reference.path;
    ++reasons[error];
  }
  std::printf("refused %zu files:\n", files);
  for (const auto& [reason, count] : reasons) std::printf("  %3zu  %s\n", count, reason.c_str());
  EXPECT_GT(files, 90u);
}

TEST(XlsCorpus, QuestionBankWorkbooksHoldTheirIntendedCells) {
  std::map<std::string, xlmodel::Workbook> books;
  std::size_t checked = 0;
  for (const auto& expected : oracle().expected) {
    SCOPED_TRACE(expected.path + " row " + std::to_string(expected.cell.row) + " col " +
                 std::to_string(expected.cell.col));
    if (!books.count(expected.path)) {
      std::string error;
      ASSERT_TRUE(load(expected.path, books[expected.path], error)) << error;
      ASSERT_EQ(books[expected.path].sheets.size(), 2u);
    }
    const xlmodel::Workbook& book = books[expected.path];
    const xlmodel::Cell* cell = findCell(book.sheets[0], expected.cell.row, expected.cell.col);
    EXPECT_EQ(disagreement(book, cell, expected.cell), "");
    ++checked;
    if (cell == nullptr) continue;
    // LibreOffice renumbers and rewrites every format, so only the other writer keeps them.
    if (expected.path != "qbank/qbank_small.xls") continue;
    std::uint32_t formatId = book.xfs.at(cell->xf).numFmtId;
    if (expected.fmtKind == "code") {
      auto custom = book.numFormats.find(formatId);
      ASSERT_NE(custom, book.numFormats.end());
      EXPECT_EQ(custom->second, xls_test::fromUtf16Hex(expected.fmtValue));
    } else if (expected.fmtKind == "id") {
      EXPECT_EQ(formatId, std::stoul(expected.fmtValue));
    }
  }
  EXPECT_EQ(books.size(), 2u);
  EXPECT_GT(checked, 1500u);
}

}  // namespace
