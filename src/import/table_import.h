// Importing an import table into a question bank: repeated rows removed from the table, then
// every row appended as a record unless the bank already holds its question/answer pair. The
// import reports what happens through ImportReport; the front end decides what the user sees.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "bank/record_database.h"
#include "import/import_table.h"
#include "import/work_report.h"

namespace importer {

enum class RowResult {
  duplicate,  // the bank already held the pair
  imported,   // appended
  failed,     // the append failed (disk full, damaged bank)
};

struct ImportCounts {
  int skipped = 0;
  int imported = 0;
  int failed = 0;
};

// What an import tells its front end as it goes, on the thread that imports: besides the
// progress of comparing and importing, the removal of repeats and each row's result. A row is
// reported once its outcome is final: an imported row is in the bank by then.
class ImportReport : public WorkReport {
 public:
  // The table's repeated rows were removed (called once, before the rows, also with 0).
  virtual void repeatsRemoved(int count) {}
  virtual void rowDone(int row, RowResult result) {}
};

// Which rows to keep so that no two share both question and answer (byte equality): the first
// occurrence of each pair. One entry a row; linear in the rows. Reports its progress (stage
// comparing) when given a report.
std::vector<bool> firstOccurrences(const ImportTable& table, WorkReport* report = nullptr);
// Keeps the rows `keep` says (from firstOccurrences) and numbers the rest 1, 2, ... in
// column 0. Returns the number of rows removed.
int keepFirstOccurrences(ImportTable& table, const std::vector<bool>& keep);
// Both: removes every repeated row and renumbers. Returns the number of rows removed.
int deduplicateTable(ImportTable& table, WorkReport* report = nullptr);

// The question/answer pairs a bank holds, as the bank stores them: a text longer than its
// field is compared by the part that fits, so a cut question still counts as held.
class BankPairs {
 public:
  // Reads every record of the current database of `database` (deleted ones included, as a
  // walk through the bank sees them). False when the bank has no 题目 and 答案 text fields or
  // cannot be read.
  bool load(bank::RecordDatabase& database);
  bool holds(std::string_view question, std::string_view answer) const;
  // Adds the pair; false when it was held already.
  bool add(std::string_view question, std::string_view answer);
  void forget(std::string_view question, std::string_view answer);
  std::size_t size() const { return pairs_.size(); }

 private:
  std::string key(std::string_view question, std::string_view answer) const;
  std::unordered_set<std::string> pairs_;
  std::size_t questionWidth_ = 0;
  std::size_t answerWidth_ = 0;
};

// Imports every row of the table into the current database of `database`, whose pairs
// `held` was loaded from: each row is appended unless its pair is held. Appended pairs join
// `held`. Rows are appended in batches, each one write to the bank; asked to stop, the import
// finishes the batch it has begun and reports it.
ImportCounts importTableRows(bank::RecordDatabase& database, BankPairs& held, ImportTable& table,
                             ImportReport& report);

enum class ImportError {
  none,
  cannotOpenBank,  // the database's lastError says why
  notABank,        // the file has no 题目 and 答案 text fields
};

struct ImportOutcome {
  ImportError error = ImportError::none;
  ImportCounts counts;
};

// One import into one bank, in two steps, so a front end can show the removal of repeated rows
// between them without holding the bank.
class BankImport {
 public:
  explicit BankImport(std::filesystem::path path) : path_(std::move(path)) {}
  // Closes the bank when it is open, opens it and reads the pairs it holds; the bank stays open.
  ImportError open(bank::RecordDatabase& database);
  // Imports the rows (the bank is opened again if someone closed it meanwhile) and closes it.
  ImportOutcome importRows(bank::RecordDatabase& database, ImportTable& table,
                           ImportReport& report);

 private:
  std::filesystem::path path_;
  BankPairs held_;
};

// The whole import into the bank at `path`: open, remove the table's repeated rows, import the
// rows, close.
ImportOutcome importIntoBank(bank::RecordDatabase& database, const std::filesystem::path& path,
                             ImportTable& table, ImportReport& report);

}  // namespace importer
