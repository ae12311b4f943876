#include "import/table_import.h"

#include <vector>

#include "bank/question_bank.h"
#include "bank/record_format.h"
#include "import/import_texts.h"
#include "platform/cp936.h"

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

// Fewer repaints than removals: enough to show the table shrinking, without redrawing a long
// list once per removed row.
constexpr int kRemovalsPerRepaint = 64;

}  // namespace

int deduplicateTable(ImportTable& table) {
  std::unordered_set<std::string> seen;
  int removed = 0;
  for (int row = 0; row < table.rowCount();) {
    if (seen.insert(pairKey(table.cell(row, kQuestionColumn), table.cell(row, kAnswerColumn)))
            .second) {
      ++row;
      continue;
    }
    table.deleteRow(row);
    if (++removed % kRemovalsPerRepaint == 0) table.repaint();
  }
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

ImportCounts importTableRows(bank::RecordDatabase& database, BankPairs& held, ImportTable& table) {
  static const std::string duplicate = cp936::fromUtf8(texts::kRowDuplicate);
  static const std::string imported = cp936::fromUtf8(texts::kRowImported);
  static const std::string failed = cp936::fromUtf8(texts::kRowFailed);
  // One value per field of the bank, in its order; the two texts go where their fields are.
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
  for (int row = 0; row < table.rowCount(); ++row) {
    const std::string question = table.cell(row, kQuestionColumn);
    const std::string answer = table.cell(row, kAnswerColumn);
    if (held.holds(question, answer)) {
      table.setCell(row, kResultColumn, duplicate);
      ++counts.skipped;
    } else if (append(question, answer)) {
      held.add(question, answer);
      table.setCell(row, kResultColumn, imported);
      ++counts.imported;
    } else {
      table.setCell(row, kResultColumn, failed);
      ++counts.failed;
    }
  }
  return counts;
}

std::optional<ImportCounts> importIntoBank(bank::RecordDatabase& database,
                                           const std::filesystem::path& path, ImportTable& table,
                                           const std::function<void(int removed)>& deduplicated) {
  if (database.isOpen(path)) database.closeDatabase(path);
  if (!database.openDatabase(path)) return std::nullopt;
  BankPairs held;
  if (!held.load(database)) {
    database.closeDatabase(path);
    return std::nullopt;
  }
  const int removed = deduplicateTable(table);
  if (deduplicated) deduplicated(removed);
  const ImportCounts counts = importTableRows(database, held, table);
  database.closeDatabase(path);
  return counts;
}

}  // namespace importer
