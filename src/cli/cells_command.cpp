// quorvix-cli cells: every cell of a worksheet as the program's spreadsheet binding reads it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/commands.h"
#include "cli/json_text.h"
#include "import/library_file.h"
#include "import/xl_book.h"
#include "platform/cp936.h"

namespace cli {
namespace {

// Tabs and line breaks shown visibly, so one cell stays on one line.
std::string plainText(const std::string& utf8) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t at = 0; at < utf8.size(); ++at) {
    const char c = utf8[at];
    if (static_cast<unsigned char>(c) > '\r' || (c != '\n' && c != '\r' && c != '\t')) continue;
    out.append(utf8, from, at - from);
    out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
    from = at + 1;
  }
  if (from == 0) return utf8;
  out.append(utf8, from, std::string::npos);
  return out;
}

int runCells(const Context& context) {
  std::string workbook;
  int sheetNumber = 0;
  bool json = false;
  for (std::size_t i = 0; i < context.args.size(); ++i) {
    const std::string& arg = context.args[i];
    if (arg == "--json") {
      json = true;
    } else if (arg == "--sheet" && i + 1 < context.args.size()) {
      sheetNumber = std::atoi(context.args[++i].c_str());
    } else if (workbook.empty() && !arg.starts_with("--")) {
      workbook = arg;
    } else {
      std::fprintf(stderr, "cells: unexpected argument '%s'\n", arg.c_str());
      return 2;
    }
  }
  if (workbook.empty()) {
    std::fprintf(stderr, "usage: quorvix-cli cells WORKBOOK [--sheet N] [--json]\n");
    return 2;
  }
  if (!EnsureLibraryFileIn(context.runDir, false)) {
    std::fprintf(stderr, "cells: cannot put the spreadsheet library in %s\n",
                 context.runDir.string().c_str());
    return 1;
  }
  XlBook book;
  if (!book.load(std::filesystem::path(workbook))) {
    std::fprintf(stderr, "cells: cannot load %s: %s\n", workbook.c_str(),
                 cp936::toUtf8(book.loadFailure()).c_str());
    return 1;
  }
  // Like the import: a 1-based sheet number in range, else the first sheet.
  int index = sheetNumber > 0 && sheetNumber <= book.sheetCount() ? sheetNumber - 1 : 0;
  XlSheet sheet = book.getSheet(index);
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
      std::printf("%d\t%d\t%d\t%s\t%s\n", row, col, type, plainText(text).c_str(),
                  plainText(formatText).c_str());
    }
  }
  return 0;
}

}  // namespace

void addCellsCommand(std::vector<Command>& table) {
  table.push_back({"cells", "cells WORKBOOK [--sheet N] [--json]",
                   "print every cell of a worksheet as the import reads it", runCells});
}

}  // namespace cli
