// The keyword search over a bank: which questions contain the keyword, in record order, and
// when none does, which are the most similar to it. No controls and no texts here; the form and
// the command line show the outcome each in its way.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bank/record_database.h"

namespace search {

// One result. Its texts lie in the SearchResult's `texts` and are valid while that is held: a
// search with tens of thousands of results copies no text for each of them.
struct SearchRow {
  std::int32_t recordNumber = 0;
  std::int32_t serial = 0;    // names the record whatever purges move it
  std::string_view question;  // GBK
  std::string_view answer;    // GBK
  double score = 1;           // 1 for a question holding the keyword; the similarity otherwise
};

enum class SearchOutcome {
  emptyKeyword,  // the keyword holds nothing but spaces; nothing else happened
  openFailed,    // the bank could not be opened
  readFailed,    // it is no bank (no 题目 and 答案 text fields) or could not be read through
  noMatch,
  found,         // questions holding the keyword, in record order
  similarFound,  // no question holds it (or none was looked for): the most similar, best first
};

// When the questions most similar to the keyword are looked for (similar_search.h).
enum class SimilarMode {
  never,
  whenNoneHoldsIt,  // only when no question holds the keyword
  always,           // instead of the questions holding it
};

struct SearchRequest {
  std::string_view keyword;       // GBK
  std::int32_t recordLimit = -1;  // see searchBank
  SimilarMode similar = SimilarMode::never;
};

struct SearchResult {
  SearchOutcome outcome = SearchOutcome::noMatch;
  std::vector<SearchRow> rows;
  std::shared_ptr<const void> texts;  // what the rows' texts lie in
  int bankError = 0;                  // the engine's code when the bank failed
};

// Does `keyword` occur in `question`, starting at a character boundary (a byte of 0x80 or
// more starts a two-byte character)? Case-sensitive; an empty keyword occurs everywhere.
bool occursIn(std::string_view question, std::string_view keyword);

// A keyword of nothing but spaces asks for nothing.
bool isBlankKeyword(std::string_view keyword);

// Searches the questions of the bank at `bankPath` for `keyword` (GBK), opening the bank when
// it is not open and closing it at the end of every search that got past opening. At most
// `recordLimit` records are looked at (the count the answer form read when it started);
// a negative limit means every record.
SearchResult searchBank(bank::RecordDatabase& database, const std::filesystem::path& bankPath,
                        std::string_view keyword, std::int32_t recordLimit = -1);
// The same, looking for similar questions as the request says.
SearchResult searchBank(bank::RecordDatabase& database, const std::filesystem::path& bankPath,
                        const SearchRequest& request);

}  // namespace search
