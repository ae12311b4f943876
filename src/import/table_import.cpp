#include "import/table_import.h"

#include <vector>

#include "bank/question_bank.h"
#include "bank/record_format.h"

namespace importer {
namespace {

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

int deduplicateTable(ImportTable& table) {
  std::unordered_set<std::string> seen;
  const int rows = table.rowCount();
  std::vector<bool> keep(std::size_t(rows), true);
  int removed = 0;
  for (int row = 0; row < rows; ++row) {
    if (seen.insert(pairKey(table.cell(row, kQuestionColumn), table.cell(row, kAnswerColumn)))
            .second)
      continue;
    keep[std::size_t(row)] = false;
    ++removed;
  }
  if (removed > 0) table.keepRows(keep);
  for (int row = 0; row < table.rowCount(); ++row)
    table.setCell(row, kSerialColumn, std::to_string(row + 1));
  table.repaint();
  return removed;
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

void BankPairs::add(std::string_view question, std::string_view answer) {
  pairs_.insert(key(question, answer));
}

ImportCounts importTableRows(
    bank::RecordDatabase& database, BankPairs& held, ImportTable& table,
    ImportReport& report) {  // One value per field of the bank, in its order; the two texts go
                             // where their fields are.
  const bank::Layout* layout = database.layout();
  std::vector<std::string> values(layout ? layout->fields.size() : 0);
  const int questionAt = layout ? layout->fieldIndex(bank::kQuestionField) : -1;
  const int answerAt = layout ? layout->fieldIndex(bank::kAnswerField) : -1;
  auto append = [&](const std::string& question, const std::string& answer) {
    if (questionAt < 0 || answerAt < 0) return false;
    values[std::size_t(questionAt)] = question;
    values[std::size_t(answerAt)] = answer;
    return database.addRecord(values);
  };
  ImportCounts counts;
  for (int row = 0; row < table.rowCount() && report.keepGoing(); ++row) {
    const std::string question = table.cell(row, kQuestionColumn);
    const std::string answer = table.cell(row, kAnswerColumn);
    RowResult result = RowResult::failed;
    if (held.holds(question, answer)) {
      result = RowResult::duplicate;
      ++counts.skipped;
    } else if (append(question, answer)) {
      held.add(question, answer);
      result = RowResult::imported;
      ++counts.imported;
    } else {
      ++counts.failed;
    }
    report.rowDone(row, result);
  }
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
  report.repeatsRemoved(deduplicateTable(table));
  return import.importRows(database, table, report);
}

}  // namespace importer
