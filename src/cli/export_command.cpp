// quorvix-cli export BANK FILE [--format xlsx|csv|txt] [--force]: a bank's live pairs written
// out as a workbook, CSV or text blocks. An existing FILE is left alone unless --force; the
// file is written whole or not at all, and the bank is only read.
#include <cstdio>
#include <string>
#include <vector>

#include "bank/record_database.h"
#include "cli/arguments.h"
#include "cli/bank_cli_support.h"
#include "cli/commands.h"
#include "import/bank_export.h"
#include "platform/cp936.h"

namespace cli {
namespace {

const char* const kUsage = "export BANK FILE [--format xlsx|csv|txt] [--force]";

std::optional<importer::ExportFormat> formatNamed(const std::string& name) {
  if (name == "xlsx") return importer::ExportFormat::xlsx;
  if (name == "csv") return importer::ExportFormat::csv;
  if (name == "txt") return importer::ExportFormat::text;
  return std::nullopt;
}

int reportFailure(const importer::ExportOutcome& outcome, const std::filesystem::path& bank,
                  const std::string& file, const bank::RecordDatabase& database,
                  const Context& context) {
  using importer::ExportError;
  switch (outcome.error) {
    case ExportError::cannotReadBank:
      return reportEngineError("export", bank, database.lastError());
    case ExportError::notABank:
      return reportEngineError("export", bank, bank::kNoSuchField);
    case ExportError::targetExists:
      std::fprintf(stderr, "quorvix-cli export: %s already exists (--force replaces it)\n",
                   file.c_str());
      return 1;
    case ExportError::targetIsBank:
      std::fprintf(stderr, "quorvix-cli export: %s is the bank itself\n", file.c_str());
      return 1;
    case ExportError::libraryUnavailable:
      std::fprintf(stderr, "quorvix-cli export: cannot put the spreadsheet library in %s\n",
                   utf8Of(context.runDir).c_str());
      return 1;
    case ExportError::cannotMakeWorkbook:
      std::fprintf(stderr, "quorvix-cli export: cannot make the workbook: %s\n",
                   cp936::toUtf8(outcome.detail).c_str());
      return 1;
    case ExportError::cannotWrite:
      std::fprintf(stderr,
                   "quorvix-cli export: cannot write %s (is the folder there and writable, is "
                   "the disk full?); nothing was written\n",
                   file.c_str());
      return 1;
    case ExportError::none:
      break;
  }
  return 0;
}

int runExport(const Context& context) {
  Arguments args;
  int status = 0;
  if (!parseCommandLine(context, kUsage, {"--force"}, {"--format"}, 2, args, status)) return status;
  const auto bank = bankArgument(context, args.words[0]);
  const std::string& file = args.words[1];
  const auto target = fromUtf8Path(file);

  importer::ExportOptions options;
  options.overwrite = args.has("--force");
  options.libraryFolder = context.runDir;
  options.hideLibraryFile = false;
  const auto format = args.value("--format") ? formatNamed(*args.value("--format"))
                                             : importer::exportFormatOf(target);
  if (!format) {
    std::fprintf(stderr,
                 "quorvix-cli export: say the format with --format xlsx, csv or txt (or name "
                 "the file .xlsx, .csv or .txt)\n");
    return 2;
  }
  options.format = *format;

  bank::RecordDatabase database;
  const auto outcome = importer::exportBank(database, bank, target, options);
  if (outcome.error != importer::ExportError::none)
    return reportFailure(outcome, bank, file, database, context);
  std::printf("exported %d pairs to %s\n", outcome.pairs, file.c_str());
  if (outcome.inexact > 0)
    std::fprintf(stderr,
                 "quorvix-cli export: %d pair(s) hold empty lines or answer lines the text "
                 "layout cannot give back as they are; .xlsx or .csv keep them exactly\n",
                 outcome.inexact);
  return 0;
}

}  // namespace

void addExportCommand(std::vector<Command>& table) {
  table.push_back({"export", kUsage, "write a bank's pairs to a workbook, CSV or text", runExport});
}

}  // namespace cli
