// quorvix-cli cells: every cell of a worksheet as the program's spreadsheet binding reads it.
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>

#include "cli/arguments.h"
#include "cli/bank_cli_support.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "import/library_file.h"
#include "import/xl_book.h"
#include "platform/cp936.h"

namespace cli {
namespace {

const char* const kUsage = "cells WORKBOOK [--sheet N] [--json]";

int runCells(const Context& context) {
  Arguments args;
  int status = 0;
  if (!parseCommandLine(context, kUsage, {"--json"}, {"--sheet"}, 1, args, status)) return status;
  const bool json = args.has("--json");
  std::optional<int> sheetNumber;
  if (auto sheet = args.value("--sheet")) {
    sheetNumber = positiveNumber(*sheet);
    if (!sheetNumber) {
      std::fprintf(stderr, "quorvix-cli cells: --sheet takes a sheet number from 1\n");
      return 2;
    }
  }
  const std::string& workbook = args.words[0];
  const auto path = fromUtf8Path(workbook);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    std::fprintf(stderr, "quorvix-cli cells: %s: not a file\n", workbook.c_str());
    return 1;
  }
  if (!EnsureLibraryFileIn(context.runDir, false)) {
    std::fprintf(stderr, "quorvix-cli cells: cannot put the spreadsheet library in %s\n",
                 utf8Of(context.runDir).c_str());
    return 1;
  }
  XlBook book;
  if (!book.load(path)) {
    std::fprintf(stderr, "quorvix-cli cells: cannot load %s: %s\n", workbook.c_str(),
                 cp936::toUtf8(book.loadFailure()).c_str());
    return 1;
  }
  if (sheetNumber && *sheetNumber > book.sheetCount()) {
    std::fprintf(stderr, "quorvix-cli cells: %s has %d sheet(s)\n", workbook.c_str(),
                 book.sheetCount());
    return 1;
  }
  XlSheet sheet = book.getSheet(sheetNumber ? *sheetNumber - 1 : 0);
  for (int row = 0, col = 0; sheet.nextCell(row, col); ++col) {
    int type = sheet.cellType(row, col);
    XlFormatRecord format;
    std::string text = cp936::toUtf8(sheet.readText(row, col, &format));
    if (type == XlSheet::kBlank || type == XlSheet::kError) format = sheet.cellFormat(row, col);
    std::string formatText = cp936::toUtf8(format.numberFormat);
    if (json) {
      std::printf("{\"row\":%d,\"col\":%d,\"type\":%d,\"text\":%s,\"format\":%s,\"date\":%s}\n",
                  row, col, type, jsonString(text).c_str(), jsonString(formatText).c_str(),
                  sheet.isDate(row, col) ? "true" : "false");
    } else {
      std::printf("%d\t%d\t%d\t%s\t%s\n", row, col, type, escapedLine(text).c_str(),
                  escapedLine(formatText).c_str());
    }
  }
  return 0;
}

}  // namespace

void addCellsCommand(std::vector<Command>& table) {
  table.push_back(
      {"cells", kUsage, "print every cell of a worksheet as the import reads it", runCells});
}

}  // namespace cli
