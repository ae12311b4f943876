// quorvix-cli import WORKBOOK BANK [--sheet N] [--json]: the import form's import from the
// command line. WORKBOOK may also be a .csv file or a .txt file of question blocks. The
// worksheet (or the file) is read into the form's four-column table, repeated rows are
// removed, and every row is appended to the bank unless it already holds the pair; the bank is
// created first when it does not exist. Prints each row with its result, then the counts; on a
// terminal, a progress line shows how far the work is meanwhile.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/controllers/import_texts.h"
#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "cli/arguments.h"
#include "cli/bank_cli_support.h"
#include "cli/commands.h"
#include "import/memory_table.h"
#include "import/sheet_loader.h"
#include "import/table_import.h"
#include "import/text_table_loader.h"
#include "platform/cp936.h"

namespace cli {
namespace {

const char* const kUsage = "import WORKBOOK BANK [--sheet N] [--json]";

void printRows(const importer::MemoryTable& table, bool json) {
  using namespace importer;
  for (int row = 0; row < table.rowCount(); ++row) {
    if (json) {
      std::printf("{\"row\":%s,\"question\":%s,\"answer\":%s,\"result\":%s}\n",
                  jsonString(cp936::toUtf8(table.cell(row, kSerialColumn))).c_str(),
                  jsonString(cp936::toUtf8(table.cell(row, kQuestionColumn))).c_str(),
                  jsonString(cp936::toUtf8(table.cell(row, kAnswerColumn))).c_str(),
                  jsonString(cp936::toUtf8(table.cell(row, kResultColumn))).c_str());
    } else {
      std::printf("%s\t%s\t%s\t%s\n", plainText(table.cell(row, kSerialColumn)).c_str(),
                  plainText(table.cell(row, kQuestionColumn)).c_str(),
                  plainText(table.cell(row, kAnswerColumn)).c_str(),
                  plainText(table.cell(row, kResultColumn)).c_str());
    }
  }
}

// Why the workbook gave no table, in the words a user can act on.
int reportLoadFailure(const importer::SheetLoadResult& result, const std::string& workbook,
                      const Context& context) {
  switch (result.error) {
    case importer::SheetLoadError::libraryUnavailable:
      std::fprintf(stderr, "quorvix-cli import: cannot put the spreadsheet library in %s\n",
                   utf8Of(context.runDir).c_str());
      break;
    case importer::SheetLoadError::notAFile:
      std::fprintf(stderr, "quorvix-cli import: %s: not a file\n", workbook.c_str());
      break;
    case importer::SheetLoadError::cannotLoad:
      std::fprintf(stderr, "quorvix-cli import: cannot read the workbook %s: %s\n",
                   workbook.c_str(), cp936::toUtf8(result.detail).c_str());
      break;
    case importer::SheetLoadError::noWorksheet:
      std::fprintf(stderr, "quorvix-cli import: %s has no worksheet\n", workbook.c_str());
      break;
    case importer::SheetLoadError::noSuchSheet:
      std::fprintf(stderr, "quorvix-cli import: %s has no such sheet\n", workbook.c_str());
      break;
    case importer::SheetLoadError::none:
    case importer::SheetLoadError::stopped:
      break;
  }
  return 1;
}

// One line on standard error, redrawn in place as the work goes on and wiped at the end:
// "reading 1200/49806 rows". Only when both outputs are a terminal and the output is not JSON,
// so nothing of it ends up in a file or a pipe.
class ProgressLine final : public importer::WorkReport {
 public:
  explicit ProgressLine(bool json)
      : shown_(!json && isatty(STDOUT_FILENO) == 1 && isatty(STDERR_FILENO) == 1) {}
  ~ProgressLine() { clear(); }

  void progress(importer::WorkStage stage, int done, int total) override {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (done < total && now < next_) return;
    next_ = now + std::chrono::milliseconds(100);
    std::fprintf(stderr, "\r%s %d/%d rows (%d%%)\x1b[K", stageName(stage), done, total,
                 total > 0 ? int(std::int64_t(done) * 100 / total) : 100);
    std::fflush(stderr);
    drawn_ = true;
  }
  void clear() {
    if (!drawn_) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
  }

 private:
  static const char* stageName(importer::WorkStage stage) {
    switch (stage) {
      case importer::WorkStage::reading:
        return "reading";
      case importer::WorkStage::comparing:
        return "comparing";
      case importer::WorkStage::importing:
        break;
    }
    return "importing";
  }
  const bool shown_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point next_{};
};

// Each row's result into the table, the reason the first failed append gave, and the
// characters the stored rows lost.
class RowResults final : public importer::ImportReport {
 public:
  RowResults(importer::MemoryTable& table, bank::RecordDatabase& database, ProgressLine& progress)
      : table_(table), database_(database), progress_(progress) {}
  void repeatsRemoved(int count) override { removed = count; }
  void rowDone(int row, importer::RowResult result) override {
    table_.setCell(row, importer::kResultColumn, app::import_texts::resultText(result));
    if (result == importer::RowResult::failed && !failure) failure = database_.lastError();
    if (result == importer::RowResult::imported && table_.unstorable(row) > 0) {
      unstorable += table_.unstorable(row);
      ++rowsWithUnstorable;
    }
  }
  void progress(importer::WorkStage stage, int done, int total) override {
    progress_.progress(stage, done, total);
  }
  int removed = 0;
  int failure = 0;
  long unstorable = 0;
  int rowsWithUnstorable = 0;

 private:
  importer::MemoryTable& table_;
  bank::RecordDatabase& database_;
  ProgressLine& progress_;
};

int runImport(const Context& context) {
  Arguments args;
  int status = 0;
  if (!parseCommandLine(context, kUsage, {"--json"}, {"--sheet"}, 2, args, status)) return status;
  const bool json = args.has("--json");
  importer::SheetLoadOptions options;
  options.hideLibraryFile = false;
  options.rebuildColumns = false;
  if (auto sheet = args.value("--sheet")) {
    auto number = positiveNumber(*sheet);
    if (!number) {
      std::fprintf(stderr, "quorvix-cli import: --sheet takes a sheet number from 1\n");
      return 2;
    }
    options.sheetNumber = *number;
    options.refuseMissingSheet = true;
  }
  const auto workbook = fromUtf8Path(args.words[0]);

  bank::RecordDatabase database;
  bank::QuestionBank questionBank(database, context.runDir);
  const std::string& bankWord = args.words[1];
  const bool byPath = bankWord.find_first_of("/\\") != std::string::npos;
  if (!byPath && !acceptableBankName("import", fromUtf8Path(bankWord), questionBank.bankFolder()))
    return 1;
  const auto path = bankArgument(context, bankWord);

  ProgressLine progress(json);
  auto table = importer::MemoryTable::withImportColumns();
  if (importer::textFileKind(workbook) != importer::TextFileKind::none) {
    if (args.value("--sheet")) {
      std::fprintf(stderr, "quorvix-cli import: --sheet is for workbooks, not .csv or .txt\n");
      return 2;
    }
    auto loaded = importer::loadTextFileIntoTable(workbook, table, &progress);
    progress.clear();
    if (!loaded.ok) {
      std::fprintf(stderr, "quorvix-cli import: cannot read %s: %s\n", args.words[0].c_str(),
                   loaded.problem.c_str());
      return 1;
    }
  } else {
    auto loaded = importer::loadSheetIntoTable(workbook, table, options, context.runDir, &progress);
    progress.clear();
    if (loaded.error != importer::SheetLoadError::none)
      return reportLoadFailure(loaded, args.words[0], context);
  }
  if (table.rowCount() == 0) {
    std::fprintf(stderr, "quorvix-cli import: %s\n", app::import_texts::kEmptyTable);
    return 1;
  }

  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  const auto made = questionBank.createNewBank(path);
  if (made == bank::QuestionBank::NewBank::failed)
    return reportEngineError("import", path, database.lastError());
  if (made == bank::QuestionBank::NewBank::created) noteChangeMade();
  RowResults report(table, database, progress);
  const auto outcome = importer::importIntoBank(database, path, table, report);
  progress.clear();
  if (outcome.counts.imported > 0) noteChangeMade();
  if (outcome.error == importer::ImportError::notABank)
    return reportEngineError("import", path, bank::kNoSuchField);
  if (outcome.error != importer::ImportError::none)
    return reportEngineError("import", path, database.lastError());

  const auto& counts = outcome.counts;
  printRows(table, json);
  if (json) {
    std::printf("{\"removed\":%d,\"skipped\":%d,\"imported\":%d,\"failed\":%d}\n", report.removed,
                counts.skipped, counts.imported, counts.failed);
  } else {
    std::printf("removed %d repeated rows; skipped %d held pairs; imported %d; failed %d\n",
                report.removed, counts.skipped, counts.imported, counts.failed);
  }
  if (report.unstorable > 0)
    std::fprintf(stderr,
                 "quorvix-cli import: %ld character(s) in %d row(s) cannot be stored and "
                 "became \"?\"\n",
                 report.unstorable, report.rowsWithUnstorable);
  if (counts.failed > 0) return reportEngineError("import", path, report.failure);
  return 0;
}

}  // namespace

void addImportCommand(std::vector<Command>& table) {
  table.push_back({"import", kUsage, "import a worksheet, .csv or .txt into a bank", runImport});
}

}  // namespace cli
