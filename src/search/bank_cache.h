// The texts of the answer form's bank, kept in memory between its searches: a search still
// opens the bank, holds its shared use and closes it again, but reads the records only when
// the file is no longer as it was (another program added, deleted, purged or cleared
// meanwhile). Also the similar index over the kept questions, built when there is time.
// One thread at a time (the bank worker).
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bank/record_database.h"
#include "search/bank_search.h"
#include "search/similar_index.h"

namespace search {
namespace reading {
struct BankFields;
}

class BankCache {
 public:
  // searchBank with the kept texts while the bank is unchanged.
  SearchResult search(bank::RecordDatabase& database, const std::filesystem::path& bankPath,
                      const SearchRequest& request);

  // The questions the last search looked at have no similar index yet.
  bool wantsSimilarIndex() const;
  // Builds that index unless `stop` says to stop first; true when it is there.
  bool buildSimilarIndex(const std::function<bool()>& stop);

  // How many times the records were read from the file.
  std::size_t loads() const { return loads_; }
  bool hasSimilarIndex() const { return index_.has_value(); }

 private:
  struct Texts;
  int load(bank::RecordReader& reader, const reading::BankFields& fields);
  void forget();
  std::span<const std::string_view> questions(std::size_t count) const;
  std::vector<std::int32_t> recordsHolding(std::string_view keyword, std::size_t count) const;
  SearchRow rowOf(std::int32_t record, double score) const;

  bank::RecordsStamp stamp_;
  // Shared with the results whose rows point into them, so reading the bank again never
  // pulls texts away from rows still shown.
  std::shared_ptr<const Texts> texts_;
  std::size_t searched_ = 0;           // how many questions the last search looked at
  std::optional<SimilarIndex> index_;  // over those
  bool indexFailed_ = false;           // no room for it: the questions are scanned instead
  std::size_t loads_ = 0;
};

}  // namespace search
