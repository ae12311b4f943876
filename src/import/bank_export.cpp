#include "import/bank_export.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "bank/question_bank.h"
#include "import/block_text_format.h"
#include "import/csv_format.h"
#include "import/library_file.h"
#include "import/xl_binding.h"
#include "import/xl_book.h"
#include "platform/cp936.h"
#include "platform/files.h"

namespace importer {
namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
// 序号, 题目, 答案: the import form's own column titles.
const char* const kHeaderUtf8[] = {"\xE5\xBA\x8F\xE5\x8F\xB7", "\xE9\xA2\x98\xE7\x9B\xAE",
                                   "\xE7\xAD\x94\xE6\xA1\x88"};

bool readPairs(bank::RecordDatabase& database, const std::filesystem::path& path,
               std::vector<BankPair>& pairs, ExportOutcome& outcome) {
  if (!database.openDatabase(path, {.readOnly = true})) {
    outcome.error = ExportError::cannotReadBank;
    return false;
  }
  if (!bank::isQuestionBankLayout(*database.layout())) {
    database.closeDatabase(path);
    outcome.error = ExportError::notABank;
    return false;
  }
  const bool ok = database.scanRecords(
      {bank::kQuestionField, bank::kAnswerField}, [&](const bank::ScanRow& row) {
        // A record marked deleted is on its way out of the bank, not part of it.
        if (row.serial <= 0) return true;
        pairs.push_back(
            {row.recordNumber, std::string((*row.texts)[0]), std::string((*row.texts)[1])});
        return true;
      });
  if (!ok) outcome.error = ExportError::cannotReadBank;
  database.closeDatabase(path);
  return ok;
}

}  // namespace

std::optional<ExportFormat> exportFormatOf(const std::filesystem::path& target) {
  std::string extension = target.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".xlsx") return ExportFormat::xlsx;
  if (extension == ".csv") return ExportFormat::csv;
  if (extension == ".txt") return ExportFormat::text;
  return std::nullopt;
}

std::string csvOfPairs(const std::vector<BankPair>& pairs) {
  std::string out = kUtf8Mark;
  appendCsvRecord({kHeaderUtf8[0], kHeaderUtf8[1], kHeaderUtf8[2]}, out);
  for (const auto& pair : pairs) {
    const std::string number = std::to_string(pair.recordNumber);
    const std::string question = cp936::toUtf8(pair.question), answer = cp936::toUtf8(pair.answer);
    appendCsvRecord({number, question, answer}, out);
  }
  return out;
}

std::string blockTextOfPairs(const std::vector<BankPair>& pairs) {
  std::string out = kUtf8Mark;
  bool first = true;
  for (const auto& pair : pairs) {
    appendBlock({cp936::toUtf8(pair.question), cp936::toUtf8(pair.answer)}, first, out);
    first = false;
  }
  return out;
}

bool workbookOfPairs(const std::vector<BankPair>& pairs, std::string& bytes, std::string& error) {
  // A library file left by an earlier build carries the same version but cannot write.
  if (!XLAVAILABLE(xlBookAddSheetW) || !XLAVAILABLE(xlSheetWriteStrW) ||
      !XLAVAILABLE(xlBookSaveRawW)) {
    error =
        "the spreadsheet library beside the program cannot write workbooks (it is from an "
        "earlier version): delete it and it is put in place anew";
    return false;
  }
  XlBook book;
  XlSheet sheet;
  if (book.create(XlBook::kXlsx)) sheet = book.addSheet("Sheet1");
  bool ok = sheet.handle() != nullptr;
  for (int column = 0; ok && column < 3; ++column)
    ok = sheet.writeStr(0, column, cp936::fromUtf8(kHeaderUtf8[column]));
  int row = 1;
  for (auto pair = pairs.begin(); ok && pair != pairs.end(); ++pair, ++row)
    ok = sheet.writeStr(row, 0, std::to_string(pair->recordNumber)) &&
         sheet.writeStr(row, 1, pair->question) && sheet.writeStr(row, 2, pair->answer);
  ok = ok && book.saveRaw(bytes);
  if (!ok)
    error = book.handle() ? book.errorMessage() : "the spreadsheet library cannot make a book";
  return ok;
}

ExportOutcome exportBank(bank::RecordDatabase& database, const std::filesystem::path& bank,
                         const std::filesystem::path& target, const ExportOptions& options) {
  ExportOutcome outcome;
  std::error_code ec;
  // Even with overwriting asked for, an export never replaces the bank it reads.
  if (std::filesystem::equivalent(bank, target, ec)) {
    outcome.error = ExportError::targetIsBank;
    return outcome;
  }
  if (!options.overwrite && std::filesystem::exists(std::filesystem::symlink_status(target, ec))) {
    outcome.error = ExportError::targetExists;
    return outcome;
  }
  std::vector<BankPair> pairs;
  if (!readPairs(database, bank, pairs, outcome)) return outcome;
  outcome.pairs = static_cast<int>(pairs.size());

  std::string bytes;
  switch (options.format) {
    case ExportFormat::csv:
      bytes = csvOfPairs(pairs);
      break;
    case ExportFormat::text:
      bytes = blockTextOfPairs(pairs);
      for (const auto& pair : pairs)
        if (!blockKeepsPair(cp936::toUtf8(pair.question), cp936::toUtf8(pair.answer)))
          ++outcome.inexact;
      break;
    case ExportFormat::xlsx:
      if (!EnsureLibraryFileIn(options.libraryFolder, options.hideLibraryFile)) {
        outcome.error = ExportError::libraryUnavailable;
        return outcome;
      }
      if (!workbookOfPairs(pairs, bytes, outcome.detail)) {
        outcome.error = ExportError::cannotMakeWorkbook;
        return outcome;
      }
      break;
  }
  std::vector<BankPair>().swap(pairs);
  // Checked again just before the write: the target may have appeared meanwhile.
  if (!options.overwrite && std::filesystem::exists(std::filesystem::symlink_status(target, ec))) {
    outcome.error = ExportError::targetExists;
    return outcome;
  }
  // What an earlier export killed mid-write left beside the target goes first.
  platform::removeAbandonedTemporaries(target);
  if (!platform::writeFileAtomic(target, bytes)) outcome.error = ExportError::cannotWrite;
  return outcome;
}

}  // namespace importer
