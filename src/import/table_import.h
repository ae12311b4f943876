// Importing an import table into a question bank: repeated rows removed from the table, then
// every row appended as a record unless the bank already holds its question/answer pair.
#pragma once
#include "bank/record_database.h"
#include "import/import_table.h"

namespace importer {

// Table columns: 0 serial number, 1 question, 2 answer, 3 result.
inline constexpr int kSerialColumn = 0, kQuestionColumn = 1, kAnswerColumn = 2,
                     kResultColumn = 3;

// Removes every row whose question and answer both equal those of an earlier row (byte
// equality), keeping first occurrences in order, then numbers the rows 1, 2, ... in column 0.
// Returns the number of rows removed.
int deduplicateTable(ImportTable& table);

struct ImportCounts {
  int skipped = 0;   // the bank already held the pair: "重复内容"
  int imported = 0;  // appended: "导入成功"
  int failed = 0;    // the append failed (disk full, damaged bank): "导入失败"
};

// Imports every row of the table into the current database of `database` (a bank with the
// 题目 and 答案 fields), writing each row's result into column 3. Pairs are compared as the
// bank stores them, so a question cut to the field's length still counts as held.
ImportCounts importTableRows(bank::RecordDatabase& database, ImportTable& table);

}  // namespace importer
