#include "answer/bank_search.h"

#include "bank/question_bank.h"
#include "platform/cp936.h"

namespace answer {
namespace {

const char* const kEmptyKeyword = "搜索内容为空！";
const char* const kOpenFailed = "题库打开失败，请重试！";
const char* const kPositionPrefix = "【当前结果/总结果数】：";

}  // namespace

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

std::string positionStatus(int current, int total) {
  return cp936::fromUtf8(kPositionPrefix) + std::to_string(current) + "/" + std::to_string(total);
}

SearchResult searchBank(bank::RecordDatabase& database, const std::filesystem::path& bankPath,
                        std::string_view keyword, std::int32_t recordLimit) {
  SearchResult result;
  if (keyword.find_first_not_of(' ') == std::string_view::npos) {
    result.outcome = SearchOutcome::emptyKeyword;
    result.status = cp936::fromUtf8(kEmptyKeyword);
    return result;
  }
  bool opened =
      database.isOpen(bankPath) ? database.makeCurrent(bankPath) : database.openDatabase(bankPath);
  if (!opened) {
    result.outcome = SearchOutcome::openFailed;
    result.status = cp936::fromUtf8(kOpenFailed);
    return result;
  }

  database.scanRecords({bank::kQuestionField, bank::kAnswerField}, [&](const bank::ScanRow& row) {
    if (recordLimit >= 0 && row.recordNumber > recordLimit) return false;
    const auto& texts = *row.texts;
    if (occursIn(texts[0], keyword))
      result.rows.push_back({row.recordNumber, std::string(texts[0]), std::string(texts[1])});
    return true;
  });
  database.closeDatabase(bankPath);

  // A match with an empty question cannot happen (the keyword is not empty), so any row
  // counts as found.
  const int matches = static_cast<int>(result.rows.size());
  result.outcome = matches ? SearchOutcome::found : SearchOutcome::noMatch;
  result.status = positionStatus(matches ? 1 : 0, matches);
  return result;
}

}  // namespace answer
