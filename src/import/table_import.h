// Importing an import table into a question bank: repeated rows removed from the table, then
// every row appended as a record unless the bank already holds its question/answer pair.
#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "bank/record_database.h"
#include "import/import_table.h"

namespace importer {

// Table columns: 0 serial number, 1 question, 2 answer, 3 result.
inline constexpr int kSerialColumn = 0, kQuestionColumn = 1, kAnswerColumn = 2, kResultColumn = 3;

// Removes every row whose question and answer both equal those of an earlier row (byte
// equality), keeping first occurrences in order, then numbers the rows 1, 2, ... in column 0.
// Returns the number of rows removed.
int deduplicateTable(ImportTable& table);

struct ImportCounts {
  int skipped = 0;   // the bank already held the pair: "重复内容"
  int imported = 0;  // appended: "导入成功"
  int failed = 0;    // the append failed (disk full, damaged bank): "导入失败"
};

// The question/answer pairs a bank holds, as the bank stores them: a text longer than its
// field is compared by the part that fits, so a cut question still counts as held.
class BankPairs {
 public:
  // Reads every record of the current database of `database` (deleted ones included, as a
  // walk through the bank sees them). False when the bank has no 题目 and 答案 text fields or
  // cannot be read.
  bool load(bank::RecordDatabase& database);
  bool holds(std::string_view question, std::string_view answer) const;
  void add(std::string_view question, std::string_view answer);
  std::size_t size() const { return pairs_.size(); }

 private:
  std::string key(std::string_view question, std::string_view answer) const;
  std::unordered_set<std::string> pairs_;
  std::size_t questionWidth_ = 0;
  std::size_t answerWidth_ = 0;
};

// Imports every row of the table into the current database of `database`, whose pairs
// `held` was loaded from: each row is appended unless its pair is held, and its result goes
// into column 3. Appended pairs join `held`.
ImportCounts importTableRows(bank::RecordDatabase& database, BankPairs& held, ImportTable& table);

// The whole import into the bank at `path`: closes the bank when it is open, opens it, removes
// the table's repeated rows and tells `deduplicated` how many went, imports the rows and closes
// the bank. Nothing when the bank cannot be opened or has not the two text fields (the
// database's lastError says why when it knows).
std::optional<ImportCounts> importIntoBank(bank::RecordDatabase& database,
                                           const std::filesystem::path& path, ImportTable& table,
                                           const std::function<void(int removed)>& deduplicated);

}  // namespace importer
