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

// Result rows taken from records as they are found, their texts copied at once (the records may
// be unmapped right after) into one buffer that the result then holds.
class RowCollector {
 public:
  void add(std::int32_t index, const char* record, const BankFields& fields, double score);
  bool empty() const { return pending_.empty(); }
  // Takes over the rows of `later`, which follow these.
  void append(RowCollector&& later);
  void finish(SearchResult& result);

 private:
  struct Pending {
    std::int32_t recordNumber, serial;
    std::size_t question, questionSize, answer, answerSize;
    double score;
  };
  std::string bytes_;
  std::vector<Pending> pending_;
};

// Checks the keyword, opens the bank or makes it current, checks that it is a bank and hands
// `read` its records; closes it and names the outcome. `read` fills the rows and their texts
// (saying in `similar` that they are similar ones) and returns 0 or an engine code; the rows of
// a failed read are dropped.
using ReadBank =
    std::function<int(bank::RecordReader&, const BankFields&, SearchResult& result, bool& similar)>;
SearchResult searchWith(bank::RecordDatabase& database, const std::filesystem::path& bankPath,
                        std::string_view keyword, const ReadBank& read);

// How many records a search looks at.
inline std::int32_t recordsToSearch(std::int32_t count, std::int32_t limit) {
  return limit < 0 ? count : std::min(count, limit);
}

// The search of the records as they lie in the file, without keeping anything.
int searchRecords(bank::RecordReader& reader, const BankFields& fields,
                  const SearchRequest& request, SearchResult& result, bool& similar);

}  // namespace search::reading
