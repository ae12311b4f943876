// quorvix-cli import WORKBOOK BANK [--sheet N] [--json]: the import form's import from the
// command line. The worksheet is read into the form's four-column table, repeated rows are
// removed, and every row is appended to the bank unless it already holds the pair; the bank is
// created first when it does not exist. Prints each row with its result, then the counts.
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

// Each row's result into the table, and the reason the first failed append gave.
class RowResults final : public importer::ImportReport {
 public:
  RowResults(importer::MemoryTable& table, bank::RecordDatabase& database)
      : table_(table), database_(database) {}
  void repeatsRemoved(int count) override { removed = count; }
  void rowDone(int row, importer::RowResult result) override {
    table_.setCell(row, importer::kResultColumn, app::import_texts::resultText(result));
    if (result == importer::RowResult::failed && !failure) failure = database_.lastError();
  }
  int removed = 0;
  int failure = 0;

 private:
  importer::MemoryTable& table_;
  bank::RecordDatabase& database_;
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

  auto table = importer::MemoryTable::withImportColumns();
  auto loaded = importer::loadSheetIntoTable(workbook, table, options, context.runDir);
  if (loaded.error != importer::SheetLoadError::none)
    return reportLoadFailure(loaded, args.words[0], context);
  if (table.rowCount() == 0) {
    std::fprintf(stderr, "quorvix-cli import: %s\n", app::import_texts::kEmptyTable);
    return 1;
  }

  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (!questionBank.createBankIfMissing(path))
    return reportEngineError("import", path, database.lastError());
  RowResults report(table, database);
  const auto outcome = importer::importIntoBank(database, path, table, report);
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
  if (counts.failed > 0) return reportEngineError("import", path, report.failure);
  return 0;
}

}  // namespace

void addImportCommand(std::vector<Command>& table) {
  table.push_back({"import", kUsage, "import a workbook's first worksheet into a bank", runImport});
}

}  // namespace cli
