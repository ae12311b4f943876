#include "import/table_import.h"

#include <algorithm>
#include <vector>

#include "bank/question_bank.h"
#include "bank/record_format.h"

namespace importer {
namespace {

// Rows decided before their records are appended in one write and their results reported.
// Enough that the bank's locking and system calls are a small part of the import, few enough
// that a stop is never far away.
constexpr std::size_t kBatchRows = 256;

// Lengths first, so no pair of texts can pass for another whatever bytes they hold.
std::string pairKey(std::string_view question, std::string_view answer) {
  std::string key = std::to_string(question.size()) + ':';
  key.append(question);
  key.append(answer);
  return key;
}

// The text a field of `width` bytes gives back after the text was stored in it.
std::string_view storedText(std::string_view text, std::size_t width) {
  return bank::readTextSlot(text.substr(0, bank::textSlotLength(text, width)));
}

const bank::Field* textField(const bank::Layout& layout, const char* name) {
  int index = layout.fieldIndex(name);
  if (index < 0) return nullptr;
  const bank::Field& field = layout.fields[std::size_t(index)];
  return field.type == bank::kText ? &field : nullptr;
}

}  // namespace

std::vector<bool> firstOccurrences(const ImportTable& table, WorkReport* report) {
  // The texts are looked at where the table holds them, which it does until it changes.
  using Pair = std::pair<std::string_view, std::string_view>;
  struct PairHash {
    std::size_t operator()(const Pair& pair) const {
      const std::size_t question = std::hash<std::string_view>()(pair.first);
      return question ^ (std::hash<std::string_view>()(pair.second) + 0x9E3779B9 + (question << 6) +
                         (question >> 2));
    }
  };
  const int rows = table.rowCount();
  std::unordered_set<Pair, PairHash> seen(std::size_t(rows) * 2);
  std::vector<bool> keep(std::size_t(rows), true);
  for (int row = 0; row < rows; ++row) {
    if (!seen.emplace(table.cell(row, kQuestionColumn), table.cell(row, kAnswerColumn)).second)
      keep[std::size_t(row)] = false;
    if (report) report->progress(WorkStage::comparing, row + 1, rows);
  }
  return keep;
}

int keepFirstOccurrences(ImportTable& table, const std::vector<bool>& keep) {
  const int before = table.rowCount();
  if (std::find(keep.begin(), keep.end(), false) != keep.end()) table.keepRows(keep);
  for (int row = 0; row < table.rowCount(); ++row)
    table.setCell(row, kSerialColumn, std::to_string(row + 1));
  table.repaint();
  return before - table.rowCount();
}

int deduplicateTable(ImportTable& table, WorkReport* report) {
  return keepFirstOccurrences(table, firstOccurrences(table, report));
}

bool BankPairs::load(bank::RecordDatabase& database) {
  pairs_.clear();
  const bank::Layout* layout = database.layout();
  if (!layout) return false;
  const bank::Field* question = textField(*layout, bank::kQuestionField);
  const bank::Field* answer = textField(*layout, bank::kAnswerField);
  if (!question || !answer) return false;
  questionWidth_ = std::size_t(question->width);
  answerWidth_ = std::size_t(answer->width);
  return database.scanRecords({bank::kQuestionField, bank::kAnswerField},
                              [this](const bank::ScanRow& row) {
                                pairs_.insert(pairKey((*row.texts)[0], (*row.texts)[1]));
                                return true;
                              });
}

std::string BankPairs::key(std::string_view question, std::string_view answer) const {
  return pairKey(storedText(question, questionWidth_), storedText(answer, answerWidth_));
}

bool BankPairs::holds(std::string_view question, std::string_view answer) const {
  return pairs_.count(key(question, answer)) != 0;
}

bool BankPairs::add(std::string_view question, std::string_view answer) {
  return pairs_.insert(key(question, answer)).second;
}

void BankPairs::forget(std::string_view question, std::string_view answer) {
  pairs_.erase(key(question, answer));
}

ImportCounts importTableRows(bank::RecordDatabase& database, BankPairs& held, ImportTable& table,
                             ImportReport& report) {
  // One value per field of the bank, in its order; the two texts go where their fields are.
  const bank::Layout* layout = database.layout();
  const std::size_t fields = layout ? layout->fields.size() : 0;
  const int questionAt = layout ? layout->fieldIndex(bank::kQuestionField) : -1;
  const int answerAt = layout ? layout->fieldIndex(bank::kAnswerField) : -1;

  struct Pending {
    int row;
    RowResult unlessAppended;  // duplicate: held, no append; failed: an append is due
  };
  std::vector<Pending> pending;
  std::vector<std::vector<std::string>> records;
  ImportCounts counts;
  const int rows = table.rowCount();
  int reported = 0;
  auto finish = [&](int row, RowResult result) {
    switch (result) {
      case RowResult::duplicate:
        ++counts.skipped;
        break;
      case RowResult::imported:
        ++counts.imported;
        break;
      case RowResult::failed:
        ++counts.failed;
        break;
    }
    report.rowDone(row, result);
    report.progress(WorkStage::importing, ++reported, rows);
  };
  // The batch in one write; should that fail, each of its records on its own, so the rows
  // that fit still go in and each failed row carries its own reason.
  auto flush = [&] {
    const bool written = !records.empty() && database.addRecords(records);
    std::size_t next = 0;
    for (const Pending& entry : pending) {
      if (entry.unlessAppended == RowResult::duplicate) {
        finish(entry.row, RowResult::duplicate);
        continue;
      }
      if (questionAt < 0 || answerAt < 0) {  // no fields to put the texts in
        finish(entry.row, RowResult::failed);
        continue;
      }
      const auto& record = records[next++];
      if (written || database.addRecord(record)) {
        finish(entry.row, RowResult::imported);
      } else {
        held.forget(record[std::size_t(questionAt)], record[std::size_t(answerAt)]);
        finish(entry.row, RowResult::failed);
      }
    }
    pending.clear();
    records.clear();
  };

  for (int row = 0; row < rows && report.keepGoing(); ++row) {
    const std::string& question = table.cell(row, kQuestionColumn);
    const std::string& answer = table.cell(row, kAnswerColumn);
    const bool fieldsKnown = questionAt >= 0 && answerAt >= 0;
    if (fieldsKnown ? !held.add(question, answer) : held.holds(question, answer)) {
      pending.push_back({row, RowResult::duplicate});
    } else {
      pending.push_back({row, RowResult::failed});
      if (fieldsKnown) {
        auto& values = records.emplace_back(fields);
        values[std::size_t(questionAt)] = question;
        values[std::size_t(answerAt)] = answer;
      }
    }
    if (pending.size() >= kBatchRows) flush();
  }
  flush();
  return counts;
}

ImportError BankImport::open(bank::RecordDatabase& database) {
  if (database.isOpen(path_)) database.closeDatabase(path_);
  if (!database.openDatabase(path_)) return ImportError::cannotOpenBank;
  ImportError error = ImportError::none;
  if (!bank::isQuestionBankLayout(*database.layout()))
    error = ImportError::notABank;
  else if (!held_.load(database))
    error = ImportError::cannotOpenBank;
  if (error != ImportError::none) database.closeDatabase(path_);
  return error;
}

ImportOutcome BankImport::importRows(bank::RecordDatabase& database, ImportTable& table,
                                     ImportReport& report) {
  ImportOutcome outcome;
  if (!(database.isOpen(path_) ? database.makeCurrent(path_) : database.openDatabase(path_))) {
    outcome.error = ImportError::cannotOpenBank;
    return outcome;
  }
  outcome.counts = importTableRows(database, held_, table, report);
  database.closeDatabase(path_);
  return outcome;
}

ImportOutcome importIntoBank(bank::RecordDatabase& database, const std::filesystem::path& path,
                             ImportTable& table, ImportReport& report) {
  BankImport import(path);
  if (ImportError error = import.open(database); error != ImportError::none) return {error, {}};
  report.repeatsRemoved(deduplicateTable(table, &report));
  return import.importRows(database, table, report);
}

}  // namespace importer
