// quorvix-cli import WORKBOOK BANK [--sheet N] [--json]: the import form's import from the
// command line. The worksheet is read into the form's four-column table, repeated rows are
// removed, and every row is appended to the bank unless it already holds the pair; the bank is
// created first when it does not exist. Prints each row with its result, then the counts.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/controllers/import_texts.h"
#include "bank/question_bank.h"
#include "bank/record_database.h"
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

int runImport(const Context& context) {
  bool json = false;
  int sheetNumber = 0;
  std::vector<std::string> words;
  for (std::size_t i = 0; i < context.args.size(); ++i) {
    const std::string& arg = context.args[i];
    if (arg == "--json")
      json = true;
    else if (arg == "--sheet" && i + 1 < context.args.size())
      sheetNumber = std::atoi(context.args[++i].c_str());
    else if (arg.starts_with("--"))
      return usageError(kUsage);
    else
      words.push_back(arg);
  }
  if (words.size() != 2) return usageError(kUsage);
  const auto workbook = fromUtf8Path(words[0]);
  const auto path = bankArgument(context, words[1]);

  auto table = importer::MemoryTable::withImportColumns();
  importer::SheetLoadOptions options;
  options.hideLibraryFile = false;
  options.rebuildColumns = false;
  options.sheetNumber = sheetNumber;
  if (!importer::loadSheetIntoTable(workbook, table, options, context.runDir)) {
    std::fprintf(stderr, "quorvix-cli import: cannot read the workbook %s\n", words[0].c_str());
    return 1;
  }
  if (table.rowCount() == 0) {
    std::fprintf(stderr, "quorvix-cli import: %s\n", app::import_texts::kEmptyTable);
    return 1;
  }

  bank::RecordDatabase database;
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (!std::filesystem::is_regular_file(path, ec) &&
      !database.createDatabase(path, bank::bankSchema()))
    return reportEngineError("import", path, database.lastError());
  struct Report final : importer::ImportReport {
    explicit Report(importer::MemoryTable& table) : table(table) {}
    void repeatsRemoved(int count) override { removed = count; }
    void rowDone(int row, importer::RowResult result) override {
      table.setCell(row, importer::kResultColumn, app::import_texts::resultText(result));
    }
    importer::MemoryTable& table;
    int removed = 0;
  } report(table);
  const auto outcome = importer::importIntoBank(database, path, table, report);
  if (outcome.error == importer::ImportError::notABank)
    return reportEngineError("import", path, bank::kNoSuchField);
  if (outcome.error != importer::ImportError::none)
    return reportEngineError("import", path, database.lastError());
  const int removed = report.removed;
  const auto* counts = &outcome.counts;

  printRows(table, json);
  if (json) {
    std::printf("{\"removed\":%d,\"skipped\":%d,\"imported\":%d,\"failed\":%d}\n", removed,
                counts->skipped, counts->imported, counts->failed);
  } else {
    std::printf("removed %d repeated rows; skipped %d held pairs; imported %d; failed %d\n",
                removed, counts->skipped, counts->imported, counts->failed);
  }
  return counts->failed > 0 ? 1 : 0;
}

}  // namespace

void addImportCommand(std::vector<Command>& table) {
  table.push_back({"import", kUsage, "import a workbook's first worksheet into a bank", runImport});
}

}  // namespace cli
