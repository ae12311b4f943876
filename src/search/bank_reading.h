// What the searches of a bank share: the steps around reading it (the keyword checked, the bank
// made current and closed again, the outcome named), where the question and answer lie in a
// record, and the similar ranking over records read where they lie.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "bank/record_database.h"
#include "search/bank_search.h"
#include "search/similar_search.h"

namespace search::reading {

// The places of the question and answer slots in a bank's record.
struct BankFields {
  std::size_t recordSize = 0;
  std::size_t questionOffset = 0, questionWidth = 0;
  std::size_t answerOffset = 0, answerWidth = 0;
};

inline std::string_view questionIn(const char* record, const BankFields& fields) {
  return bank::readTextSlot({record + fields.questionOffset, fields.questionWidth});
}
SearchRow rowOf(std::int32_t index, const char* record, const BankFields& fields, double score);

// Checks the keyword, opens the bank or makes it current, checks that it is a bank and hands
// `read` its records; closes it and names the outcome. `read` fills the rows (marking
// similar ones in `similar`) and returns 0 or an engine code; rows of a failed read are dropped.
using ReadBank = std::function<int(bank::RecordReader&, const BankFields&, std::vector<SearchRow>&,
                                   bool& similar)>;
SearchResult searchWith(bank::RecordDatabase& database, const std::filesystem::path& bankPath,
                        std::string_view keyword, const ReadBank& read);

// How many records a search looks at.
inline std::int32_t recordsToSearch(std::int32_t count, std::int32_t limit) {
  return limit < 0 ? count : std::min(count, limit);
}

// The search of the records as they lie in the file, without keeping anything.
int searchRecords(bank::RecordReader& reader, const BankFields& fields,
                  const SearchRequest& request, std::vector<SearchRow>& rows, bool& similar);

// The rows of the similar matches, read from the records the matches name. 0 or an engine code.
int similarRows(bank::RecordReader& reader, const BankFields& fields,
                const std::vector<SimilarMatch>& matches, std::vector<SearchRow>& rows);

}  // namespace search::reading
