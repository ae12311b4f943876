// From a worksheet to the import table, and from the table into a bank: how cells show,
// which rows count as repeated, and which pairs a bank already holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "../bank/bank_test_support.h"
#include "../bank/faulty_files.h"
#include "bank/question_bank.h"
#include "import/cell_display.h"
#include "import/library_file.h"
#include "import/memory_table.h"
#include "import/sheet_loader.h"
#include "import/table_import.h"
#include "platform/cp936.h"
#include "platform/number_text.h"

namespace fs = std::filesystem;

namespace {

std::string utf8(const std::string& gbkText) { return cp936::toUtf8(gbkText); }

// ---- Cell display ----

struct Rendering {
  const char* format;
  double value;
  XlDateTime date;
  const char* shown;  // UTF-8
};

TEST(CellDisplay, NumbersAreRenderedByTheFormatsTheTableKnows) {
  const XlDateTime jan5{2023, 1, 5, 0, 0, 0};
  const XlDateTime afternoon{1899, 12, 30, 13, 5, 0};
  const XlDateTime morning{1899, 12, 30, 9, 30, 0};
  const XlDateTime midnight{1899, 12, 30, 0, 30, 0};
  const Rendering cases[] = {
      {"10", 0.256, {}, "25.6%"},
      {"9", 0.5, {}, "50%"},
      {"0.0000%", -0.125, {}, "-12.5%"},
      {"14", 44931, jan5, "2023-1-5"},
      {"31", 44931, jan5, "2023年1月5日"},
      {"58", 44931, jan5, "1月5日"},
      // The 24-hour clock, as the workbook shows the time.
      {"20", 0.5451388888888888, afternoon, "13:05"},
      {"h:mm;@", 0.5451388888888888, afternoon, "13:05"},
      {"20", 0.3958333333333333, morning, "9:30"},
      {"20", 0.0208333333333333, midnight, "0:30"},
      {"32", 0.3958333333333333, morning, "9时30分"},
      {"32", 0.5451388888888888, afternoon, "13时05分"},
      {"0.00_ ", 3.14159, {}, "3.14"},
      {"0.00_ ", 2.675, {}, "2.68"},  // stored as 2.67499999...; shown as the workbook does
      {"0.00_ ", -2.675, {}, "-2.68"},
      {"0.00_ ", 2.5, {}, "2.5"},  // trailing zeros go
      {"0.0_ ", 0.05, {}, "0.1"},
      {"0.000_ ", 1.0005, {}, "1.001"},
      {"0.0000_ ", 123456.789012, {}, "123456.789"},
      {"0", 3.14159, {}, "3.14159"},  // no rule: the basic text
      {"0.00", 3.14159, {}, "3.14159"},
      // Custom codes, as another program numbers its own: read by what the code shows.
      {"m/d/yyyy", 44931, jan5, "2023年1月5日"},
      {"[$-409]mmmm d, yyyy;@", 44931.5, {2023, 1, 5, 12, 0, 0}, "2023年1月5日"},
      {"yyyy\"年\"m\"月\"d\"日\"", 44931, jan5, "2023年1月5日"},
      {"mm-yy", 44931, jan5, "2023年1月5日"},
      {"yyyy-mm-dd hh:mm", 44931.5451388888888888, {2023, 1, 5, 13, 5, 0}, "2023年1月5日13时5分"},
      {"hh:mm:ss", 0.3958333333333333, morning, "9时30分"},
      {"h:mm AM/PM", 0.5451388888888888, afternoon, "13时5分"},
      {"[h]:mm:ss", 0.0208333333333333, midnight, "0时30分"},
      {"mm:ss", 0, {}, "0时"},
      {"21", 0.3958333333333333, morning, "9时30分"},   // built-in h:mm:ss
      {"46", 0.0208333333333333, midnight, "0时30分"},  // built-in [h]:mm:ss
      {"[Red]#,##0.00", 3.5, {}, "3.5"},                // numbers, not dates
      {"0.00E+00", 3.5, {}, "3.5"},
      {"General", 3.5, {}, "3.5"},
      {"#,##0\" dm\"", 3.5, {}, "3.5"},  // quoted letters say nothing
  };
  for (const auto& c : cases) {
    const std::string basic = platform::numberText(c.value);
    EXPECT_EQ(utf8(importer::renderNumberCell(basic, c.value, c.date, c.format)), c.shown)
        << "format " << c.format << ", value " << c.value;
  }
  // Codes come as GBK: an escaped Chinese character is one character, both its bytes.
  const std::string escaped = cp936::fromUtf8("yyyy\\年d\\日");
  EXPECT_EQ(utf8(importer::renderNumberCell("44931", 44931, jan5, escaped)), "2023年1月5日");
}

// ---- Loading a worksheet ----

const fs::path kQbank = fs::path(QUORVIX_FIXTURES) / "qbank";

class SheetLoading : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { fs::create_directories(libraryFolder()); }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(libraryFolder(), ignored);
  }
  // A folder of this run's own: a library another build left in a shared folder may lack
  // functions this build binds.
  static fs::path libraryFolder() {
    static const fs::path folder =
        fs::temp_directory_path() /
        ("quorvix-sheet-loading-" + std::to_string(std::random_device{}()));
    return folder;
  }

  importer::MemoryTable load(const fs::path& workbook, importer::SheetLoadOptions options = {}) {
    auto table = importer::MemoryTable::withImportColumns();
    options.rebuildColumns = false;
    options.hideLibraryFile = false;
    EXPECT_EQ(importer::loadSheetIntoTable(workbook, table, options, libraryFolder()).error,
              importer::SheetLoadError::none)
        << workbook;
    return table;
  }

  // The table row of an Excel row of the question-bank workbooks (header in row 1).
  static int tableRow(int excelRow) { return excelRow - 2; }
};

TEST_F(SheetLoading, TheQuestionBankWorkbooksFillTheTableAlike) {
  for (const char* name :
       {"qbank_small.xlsx", "qbank_small.xls", "qbank_small.lo.xlsx", "qbank_small.lo.xls"}) {
    SCOPED_TRACE(name);
    auto table = load(kQbank / name);
    ASSERT_EQ(table.columnCount(), 4);
    EXPECT_EQ(utf8(table.columnTitle(3)), "备注");  // the header row names the columns
    ASSERT_EQ(table.rowCount(), 201);               // 200 questions and one empty row
    EXPECT_EQ(table.cell(0, 0), "1");
    EXPECT_EQ(utf8(table.cell(0, 2)), "A．脂质、RNA");
    EXPECT_EQ(utf8(table.cell(tableRow(55), 2)), "25.6%");
    EXPECT_EQ(utf8(table.cell(tableRow(56), 2)), "25.6%");
    EXPECT_EQ(utf8(table.cell(tableRow(57), 2)), "2023-1-5");
    EXPECT_EQ(utf8(table.cell(tableRow(61), 2)), "13:05");
    EXPECT_EQ(utf8(table.cell(tableRow(62), 2)), "13:05");
    EXPECT_EQ(utf8(table.cell(tableRow(64), 2)), "3.14");
    EXPECT_EQ(table.cell(tableRow(75), 2), "TRUE");
    EXPECT_EQ(table.cell(tableRow(76), 2), "FALSE");
    EXPECT_EQ(table.cell(tableRow(77), 2), "");  // an error shows nothing
    EXPECT_EQ(table.cell(tableRow(78), 2), "0.3");
    EXPECT_EQ(table.cell(tableRow(80), 2), "1.234567890123e+15");
    EXPECT_EQ(table.cell(tableRow(81), 1), "12345");
    EXPECT_EQ(table.cell(tableRow(94), 1), "");
  }
}

TEST_F(SheetLoading, TheBuiltInChineseDateAndTimeFormatsShowAsWritten) {
  // LibreOffice rewrites these three as other formats, so only the originals carry them.
  for (const char* name : {"qbank_small.xlsx", "qbank_small.xls"}) {
    SCOPED_TRACE(name);
    auto table = load(kQbank / name);
    EXPECT_EQ(utf8(table.cell(tableRow(58), 2)), "2023年1月5日");
    EXPECT_EQ(utf8(table.cell(tableRow(59), 2)), "1月5日");
    EXPECT_EQ(utf8(table.cell(tableRow(63), 2)), "9时30分");
  }
}

// LibreOffice writes dates and times with format ids of its own: they read as what they are.
TEST_F(SheetLoading, DatesAndTimesInLibreOfficesOwnFormatsReadAsDatesAndTimes) {
  auto table = load(kQbank / "qbank_small.lo.xlsx");
  EXPECT_EQ(utf8(table.cell(tableRow(57), 2)), "2023-1-5");      // m/d/yyyy, as format 14
  EXPECT_EQ(utf8(table.cell(tableRow(60), 2)), "2023年1月5日");  // yyyy\年m\月d\日
  EXPECT_EQ(utf8(table.cell(tableRow(62), 2)), "13:05");         // h:mm
  EXPECT_EQ(utf8(table.cell(tableRow(63), 2)), "9时30分");       // h:mm:ss: the time alone
}

TEST_F(SheetLoading, OptionsPickTheSheetTheHeaderAndTheColumns) {
  importer::SheetLoadOptions options;
  options.sheetNumber = 2;  // the second sheet, "说明": two rows of one column
  auto table = load(kQbank / "qbank_small.xlsx", options);
  EXPECT_EQ(table.rowCount(), 1);
  EXPECT_EQ(utf8(table.columnTitle(1)), "题目");  // a one-column sheet leaves the others

  options.sheetNumber = 3;  // no such sheet: the first
  EXPECT_EQ(load(kQbank / "qbank_small.xlsx", options).rowCount(), 201);

  options.sheetNumber = 2;
  options.headerRow = false;
  table = load(kQbank / "qbank_small.xlsx", options);
  EXPECT_EQ(table.rowCount(), 2);
  EXPECT_EQ(utf8(table.columnTitle(0)), "序号");

  importer::MemoryTable rebuilt({"x"});
  importer::SheetLoadOptions rebuild;
  rebuild.hideLibraryFile = false;
  ASSERT_EQ(
      importer::loadSheetIntoTable(kQbank / "qbank_small.xlsx", rebuilt, rebuild, libraryFolder())
          .error,
      importer::SheetLoadError::none);
  EXPECT_EQ(rebuilt.columnCount(), 4);
  EXPECT_EQ(utf8(rebuilt.columnTitle(1)), "题目");
}

TEST_F(SheetLoading, ANonWorkbookFailsAndLeavesTheTableAsItWas) {
  banktest::TempDir temp;
  banktest::writeBytes(temp / "notes.xlsx", "just some text\n");
  auto table = importer::MemoryTable::withImportColumns();
  table.setCell(table.appendRow(), 1, "kept");
  importer::SheetLoadOptions options;
  options.rebuildColumns = false;
  auto notes = importer::loadSheetIntoTable(temp / "notes.xlsx", table, options, libraryFolder());
  EXPECT_EQ(notes.error, importer::SheetLoadError::cannotLoad);
  EXPECT_FALSE(notes.detail.empty()) << "the library's reason comes with it";
  EXPECT_EQ(
      importer::loadSheetIntoTable(temp / "missing.xls", table, options, libraryFolder()).error,
      importer::SheetLoadError::notAFile);
  EXPECT_EQ(importer::loadSheetIntoTable(temp.path(), table, options, libraryFolder()).error,
            importer::SheetLoadError::notAFile);
  EXPECT_EQ(table.rowCount(), 1);
  options.sheetNumber = 3;  // the workbook has two sheets
  options.refuseMissingSheet = true;
  EXPECT_EQ(
      importer::loadSheetIntoTable(kQbank / "qbank_small.xlsx", table, options, libraryFolder())
          .error,
      importer::SheetLoadError::noSuchSheet);
  EXPECT_EQ(table.rowCount(), 1);
}

// How far a piece of work said it was, and a stop after a given number of rows.
struct RecordedProgress : importer::ImportReport {
  void progress(importer::WorkStage stage, int done, int total) override {
    steps.push_back({stage, done, total});
  }
  bool keepGoing() override { return stopAfter < 0 || int(steps.size()) < stopAfter; }
  struct Step {
    importer::WorkStage stage;
    int done, total;
  };
  std::vector<Step> steps;
  int stopAfter = -1;
};

TEST_F(SheetLoading, TheLoadReportsEveryRowAndStopsWhenAsked) {
  auto table = importer::MemoryTable::withImportColumns();
  importer::SheetLoadOptions options;
  options.rebuildColumns = false;
  RecordedProgress report;
  ASSERT_EQ(importer::loadSheetIntoTable(kQbank / "qbank_small.xlsx", table, options,
                                         libraryFolder(), &report)
                .error,
            importer::SheetLoadError::none);
  ASSERT_EQ(report.steps.size(), 201u);
  for (int i = 0; i < 201; ++i) {
    EXPECT_EQ(report.steps[std::size_t(i)].stage, importer::WorkStage::reading);
    EXPECT_EQ(report.steps[std::size_t(i)].done, i + 1);
    EXPECT_EQ(report.steps[std::size_t(i)].total, 201);
  }

  RecordedProgress stopping;
  stopping.stopAfter = 3;
  EXPECT_EQ(importer::loadSheetIntoTable(kQbank / "qbank_small.xlsx", table, options,
                                         libraryFolder(), &stopping)
                .error,
            importer::SheetLoadError::stopped);
  EXPECT_EQ(table.rowCount(), 3);
}

TEST_F(SheetLoading, EmptyRowsAreEmptyTextsAndTheLostCharactersOfEachRowAreCounted) {
  // A question on row 2, a cell right of the table on row 3, characters outside GBK on row 100
  // and a stray cell on row 5000 (see sparse_workbooks.py).
  auto table = load(fs::path(QUORVIX_SPARSE_WORKBOOKS) / "gaps.xlsx");
  ASSERT_EQ(table.rowCount(), 4999);
  EXPECT_EQ(utf8(table.cell(0, 1)), "第1题：哪一项是正确的？");
  for (int row : {1, 2, 97, 99, 4997}) {
    for (int column = 0; column < 4; ++column) EXPECT_EQ(table.cell(row, column), "") << row;
  }
  EXPECT_EQ(table.cell(98, 0), "2");
  EXPECT_EQ(utf8(table.cell(98, 1)), "苹果??");  // an emoji is two UTF-16 units, two "?"
  EXPECT_EQ(utf8(table.cell(98, 2)), "香蕉????");
  EXPECT_EQ(table.cell(4998, 3), "stray");
  EXPECT_EQ(table.unstorable(98), 3);
  EXPECT_EQ(table.unstorable(0), 0);
  EXPECT_EQ(table.unstorable(4998), 0);

  // The count goes with its row through the removal of repeats.
  EXPECT_EQ(importer::deduplicateTable(table), 4996);
  ASSERT_EQ(table.rowCount(), 3);
  EXPECT_EQ(table.cell(2, 0), "3");
  EXPECT_EQ(table.unstorable(2), 3);
}

// ---- De-duplication ----

importer::MemoryTable tableOf(const std::vector<std::vector<std::string>>& rows) {
  auto table = importer::MemoryTable::withImportColumns();
  for (const auto& cells : rows) {
    int row = table.appendRow();
    for (int c = 0; c < int(cells.size()); ++c) table.setCell(row, c, cells[std::size_t(c)]);
  }
  return table;
}

std::vector<std::string> column(const importer::MemoryTable& table, int c) {
  std::vector<std::string> cells;
  for (int row = 0; row < table.rowCount(); ++row) cells.push_back(table.cell(row, c));
  return cells;
}

using Strings = std::vector<std::string>;

TEST(Deduplication, KeepsFirstOccurrencesInOrderAndRenumbers) {
  auto table = tableOf({{"7", "q", "a", "x"},
                        {"8", "q", "a", "y"},  // same pair: removed whatever 0 and 3 hold
                        {"9", "q", "b"},       // same question, other answer: kept
                        {"", "q", "a"},        // third of the pair
                        {"", "", ""},          // empty rows count as one pair
                        {"", "", ""},
                        {"", "q\x81", "a"},  // "q" + a lone lead byte: another text
                        {"", "qa", ""}});    // not the pair ("q", "a") run together
  EXPECT_EQ(importer::deduplicateTable(table), 3);
  EXPECT_EQ(column(table, 1), (Strings{"q", "q", "", "q\x81", "qa"}));
  EXPECT_EQ(column(table, 2), (Strings{"a", "b", "", "a", ""}));
  EXPECT_EQ(column(table, 0), (Strings{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(table.cell(0, 3), "x");
}

TEST(Deduplication, RowsHandedOverInBatchesKeepTheirCellsAndCounts) {
  auto source = tableOf({{"1", "q1", "a1"}, {"2", "q2", "a2", "r2"}});
  source.addUnstorable(1, 4);
  auto target = importer::MemoryTable::withImportColumns();
  target.appendRows(source.takeRows());
  EXPECT_EQ(source.rowCount(), 0);
  EXPECT_EQ(source.columnCount(), 4);
  source.setCell(source.appendRow(), 1, "q1");
  source.setCell(0, 2, "a1");
  target.appendRows(source.takeRows());
  EXPECT_EQ(column(target, 1), (Strings{"q1", "q2", "q1"}));
  EXPECT_EQ(column(target, 3), (Strings{"", "r2", ""}));
  EXPECT_EQ(target.unstorable(1), 4);

  RecordedProgress report;
  const auto keep = importer::firstOccurrences(target, &report);
  EXPECT_EQ(keep, (std::vector<bool>{true, true, false}));
  ASSERT_EQ(report.steps.size(), 3u);
  EXPECT_EQ(report.steps.back().stage, importer::WorkStage::comparing);
  EXPECT_EQ(report.steps.back().done, 3);
  EXPECT_EQ(importer::keepFirstOccurrences(target, keep), 1);
  EXPECT_EQ(column(target, 0), (Strings{"1", "2"}));
  EXPECT_EQ(target.unstorable(1), 4);
}

// ---- Import into a bank ----

// Every row's result, in table order, and how often each row was reported.
struct RecordedResults final : importer::ImportReport {
  void rowDone(int row, importer::RowResult result) override {
    if (std::size_t(row) >= results.size()) {
      results.resize(std::size_t(row) + 1);
      reports.resize(std::size_t(row) + 1);
    }
    results[std::size_t(row)] = result;
    ++reports[std::size_t(row)];
    order.push_back(row);
  }
  bool keepGoing() override { return stopAfter < 0 || int(order.size()) < stopAfter; }
  std::vector<importer::RowResult> results;
  std::vector<int> reports;
  std::vector<int> order;
  int stopAfter = -1;
};

using importer::RowResult;

class TableImportTest : public ::testing::Test {
 protected:
  TableImportTest() {
    path = temp / "bank.edb";
    EXPECT_TRUE(database.createDatabase(path, bank::bankSchema()));
  }

  importer::ImportCounts importRows(importer::MemoryTable& table) {
    EXPECT_TRUE(database.openDatabase(path));
    importer::BankPairs held;
    EXPECT_TRUE(held.load(database));
    report = {};
    auto counts = importer::importTableRows(database, held, table, report);
    database.closeDatabase(path);
    return counts;
  }

  std::vector<std::pair<std::string, std::string>> records() {
    std::vector<std::pair<std::string, std::string>> out;
    bank::RecordDatabase reader;
    EXPECT_TRUE(reader.openDatabase(path));
    reader.scanRecords({bank::kQuestionField, bank::kAnswerField}, [&](const bank::ScanRow& row) {
      out.emplace_back((*row.texts)[0], (*row.texts)[1]);
      return true;
    });
    return out;
  }

  banktest::TempDir temp;
  fs::path path;
  bank::RecordDatabase database;
  RecordedResults report;
};

TEST_F(TableImportTest, AppendsNewPairsAndSkipsHeldOnesOnEveryRun) {
  auto table = tableOf({{"1", "q1", "a1"}, {"2", "q1", "a2"}, {"3", "q2", "a1"}});
  auto first = importRows(table);
  EXPECT_EQ(first.imported, 3);
  EXPECT_EQ(first.skipped, 0);
  EXPECT_EQ(report.results[2], RowResult::imported);

  auto again = importRows(table);
  EXPECT_EQ(again.imported, 0);
  EXPECT_EQ(again.skipped, 3);
  EXPECT_EQ(report.results, std::vector<RowResult>(3, RowResult::duplicate));
  EXPECT_EQ(records().size(), 3u);
}

TEST_F(TableImportTest, ATextLongerThanItsFieldCountsAsHeldByWhatTheBankKeeps) {
  // 999 ASCII bytes then 誠 (D5 5C): the field keeps 999 bytes, never half a character.
  const std::string longQuestion = std::string(999, 'x') + "\xD5\x5C" + "tail";
  auto table = tableOf({{"1", longQuestion, "a"}});
  EXPECT_EQ(importRows(table).imported, 1);
  auto again = importRows(table);
  EXPECT_EQ(again.skipped, 1);
  EXPECT_EQ(again.imported, 0);
  ASSERT_EQ(records().size(), 1u);
  EXPECT_EQ(records()[0].first, std::string(999, 'x'));
}

TEST_F(TableImportTest, FieldsGoWhereTheBankHasThem) {
  // A bank made elsewhere with the answer field first and a third field.
  bank::RecordDatabase other;
  auto swapped = temp / "swapped.edb";
  ASSERT_TRUE(other.createDatabase(swapped, {{bank::kAnswerField, bank::kText, 100},
                                             {"x", bank::kText, 10},
                                             {bank::kQuestionField, bank::kText, 100}}));
  ASSERT_TRUE(other.openDatabase(swapped));
  importer::BankPairs held;
  ASSERT_TRUE(held.load(other));
  auto table = tableOf({{"1", "question", "answer"}});
  EXPECT_EQ(importer::importTableRows(other, held, table, report).imported, 1);
  ASSERT_TRUE(other.goTo(1));
  EXPECT_EQ(other.readField(bank::kQuestionField), "question");
  EXPECT_EQ(other.readField(bank::kAnswerField), "answer");
}

TEST_F(TableImportTest, ABankWithoutTheTwoTextFieldsCannotBeImportedInto) {
  bank::RecordDatabase other;
  auto wrong = temp / "wrong.edb";
  ASSERT_TRUE(other.createDatabase(wrong, {{"name", bank::kText, 100}}));
  ASSERT_TRUE(other.openDatabase(wrong));
  importer::BankPairs held;
  EXPECT_FALSE(held.load(other));
}

importer::MemoryTable numberedRows(int count) {
  auto table = importer::MemoryTable::withImportColumns();
  for (int i = 0; i < count; ++i) {
    int row = table.appendRow();
    table.setCell(row, 1, banktest::numbered("q", i));
    table.setCell(row, 2, "a");
  }
  return table;
}

TEST_F(TableImportTest, ManyRowsGoInOnceEachAndAreReportedInOrderOnceEach) {
  auto table = numberedRows(1000);
  table.setCell(700, 1, banktest::numbered("q", 3));  // held by then: a repeat of row 3
  auto counts = importRows(table);
  EXPECT_EQ(counts.imported, 999);
  EXPECT_EQ(counts.skipped, 1);
  EXPECT_EQ(report.results[700], RowResult::duplicate);
  EXPECT_EQ(report.reports, std::vector<int>(1000, 1));
  EXPECT_TRUE(std::is_sorted(report.order.begin(), report.order.end()));
  ASSERT_EQ(records().size(), 999u);
  EXPECT_EQ(records()[998].first, banktest::numbered("q", 999));
}

TEST_F(TableImportTest, AStoppedImportHasReportedEveryRowItAppended) {
  auto table = numberedRows(1000);
  report = {};
  report.stopAfter = 300;
  ASSERT_TRUE(database.openDatabase(path));
  importer::BankPairs held;
  ASSERT_TRUE(held.load(database));
  auto counts = importer::importTableRows(database, held, table, report);
  database.closeDatabase(path);
  // It stops within the batch it was in; what it wrote, it reported.
  EXPECT_GE(counts.imported, 300);
  EXPECT_LT(counts.imported, 1000);
  EXPECT_EQ(int(report.order.size()), counts.imported);
  EXPECT_EQ(int(records().size()), counts.imported);
  if (banktest::oracleAvailable()) {
    auto check = banktest::oracle("check " + banktest::quoted(path.string()));
    EXPECT_EQ(check.status, 0) << check.out;
  }
}

TEST_F(TableImportTest, ABatchTheDiskRefusesGoesInRowByRowAndOnlyOnce) {
  auto table = numberedRows(10);
  banktest::FaultyFiles files;
  bank::RecordDatabase faulty(files);
  ASSERT_TRUE(faulty.openDatabase(path));
  importer::BankPairs held;
  ASSERT_TRUE(held.load(faulty));
  // The batch's one write: half of it lands and it fails; the rows then go in one by one.
  files.arm(banktest::Fault::diskFull, 1);
  auto counts = importer::importTableRows(faulty, held, table, report);
  faulty.closeDatabase(path);
  EXPECT_EQ(counts.imported, 10);
  EXPECT_EQ(report.reports, std::vector<int>(10, 1));
  auto stored = records();
  ASSERT_EQ(stored.size(), 10u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(stored[std::size_t(i)].first, banktest::numbered("q", i));
}

TEST_F(TableImportTest, AFailedAppendIsReportedNotCountedAsImported) {
  auto table = tableOf({{"1", "q", "a"}, {"2", "q2", "a2"}});
  ASSERT_TRUE(database.openDatabase(path));
  importer::BankPairs held;
  ASSERT_TRUE(held.load(database));
  database.closeDatabase(path);  // nothing current: every append fails
  auto counts = importer::importTableRows(database, held, table, report);
  EXPECT_EQ(counts.failed, 2);
  EXPECT_EQ(counts.imported, 0);
  EXPECT_EQ(report.results[0], RowResult::failed);
}

}  // namespace
