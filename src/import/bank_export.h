// Writing a bank out for its user: every live question/answer pair, in record order, as an
// .xlsx workbook laid out the way the import reads one (a header row, then the record number,
// question and answer in columns A, B and C), as CSV in the same columns (UTF-8 with a byte
// order mark, so Excel reads the Chinese), or as text blocks (block_text_format.h).
//
// The export lives beside the import: it reads the formats the import reads, and it reaches
// the spreadsheet library through the same binding and provisioning.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bank/record_database.h"

namespace importer {

enum class ExportFormat { xlsx, csv, text };

// .xlsx, .csv or .txt in any letter case; nullopt for anything else.
std::optional<ExportFormat> exportFormatOf(const std::filesystem::path& target);

struct BankPair {
  int recordNumber = 0;
  std::string question;  // GBK, as the bank holds it
  std::string answer;
};

// The bytes of each format for the pairs.
std::string csvOfPairs(const std::vector<BankPair>& pairs);
std::string blockTextOfPairs(const std::vector<BankPair>& pairs);
// Through the spreadsheet library (in place already); false with `error` (GBK).
bool workbookOfPairs(const std::vector<BankPair>& pairs, std::string& bytes, std::string& error);

enum class ExportError {
  none,
  cannotReadBank,      // the database's lastError says why
  notABank,            // the file has no 题目 and 答案 text fields
  targetExists,        // and overwriting was not asked for
  targetIsBank,        // the target is the bank file itself
  libraryUnavailable,  // the spreadsheet library could not be put in place
  cannotMakeWorkbook,  // `detail` says why
  cannotWrite,         // the target folder is missing or not writable, or the disk is full
};

struct ExportOptions {
  ExportFormat format = ExportFormat::xlsx;
  bool overwrite = false;
  std::filesystem::path libraryFolder;  // where the spreadsheet library goes (.xlsx only)
  bool hideLibraryFile = true;
};

struct ExportOutcome {
  ExportError error = ExportError::none;
  int pairs = 0;
  // Pairs the text layout cannot give back exactly (see blockKeepsPair); 0 for other formats.
  int inexact = 0;
  std::string detail;  // GBK
};

// Reads the live pairs of the bank at `bank` (opened read-only; the bank is never changed) and
// writes them to `target` through the durable replace: the target holds the whole export or
// what it held before, never a part.
ExportOutcome exportBank(bank::RecordDatabase& database, const std::filesystem::path& bank,
                         const std::filesystem::path& target, const ExportOptions& options);

}  // namespace importer
