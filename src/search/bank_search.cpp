#include "search/bank_search.h"

#include "bank/question_bank.h"

namespace search {

bool occursIn(std::string_view question, std::string_view keyword) {
  if (keyword.empty()) return true;
  // A plain byte search finds candidates quickly; a candidate counts only when the walk over
  // whole characters lands on it, so a keyword never matches across two characters.
  std::size_t boundary = 0;
  for (std::size_t at = question.find(keyword); at != std::string_view::npos;
       at = question.find(keyword, at + 1)) {
    while (boundary < at)
      boundary += static_cast<unsigned char>(question[boundary]) >= 0x80 ? 2 : 1;
    if (boundary == at) return true;
  }
  return false;
}

bool isBlankKeyword(std::string_view keyword) {
  return keyword.find_first_not_of(' ') == std::string_view::npos;
}

SearchResult searchBank(bank::RecordDatabase& database, const std::filesystem::path& bankPath,
                        std::string_view keyword, std::int32_t recordLimit) {
  SearchResult result;
  if (isBlankKeyword(keyword)) {
    result.outcome = SearchOutcome::emptyKeyword;
    return result;
  }
  bool opened =
      database.isOpen(bankPath) ? database.makeCurrent(bankPath) : database.openDatabase(bankPath);
  if (!opened) {
    result.outcome = SearchOutcome::openFailed;
    result.bankError = database.lastError();
    return result;
  }

  // Part of a bank is no answer: a file that is no bank, or a read that broke off, fails whole.
  bool read = bank::isQuestionBankLayout(*database.layout());
  if (!read) result.bankError = bank::kNoSuchField;
  read = read && database.scanRecords(
                     {bank::kQuestionField, bank::kAnswerField}, [&](const bank::ScanRow& row) {
                       if (recordLimit >= 0 && row.recordNumber > recordLimit) return false;
                       const auto& texts = *row.texts;
                       if (occursIn(texts[0], keyword))
                         result.rows.push_back({row.recordNumber, row.serial, std::string(texts[0]),
                                                std::string(texts[1])});
                       return true;
                     });
  if (!read && result.bankError == 0) result.bankError = database.lastError();
  database.closeDatabase(bankPath);
  if (!read) {
    result.outcome = SearchOutcome::readFailed;
    result.rows.clear();
    return result;
  }

  // A match with an empty question cannot happen (the keyword is not empty), so any row
  // counts as found.
  result.outcome = result.rows.empty() ? SearchOutcome::noMatch : SearchOutcome::found;
  return result;
}

}  // namespace search
