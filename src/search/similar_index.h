// The similar-question ranking over question texts kept in memory: an index of the character
// grams (gramKey) of every question, built once per bank content, that answers each keyword without
// reading every text again. It gives the same results as SimilarScan.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "search/similar_search.h"

namespace search {

class SimilarIndex {
 public:
  SimilarIndex() = default;
  // The index keeps no text: the same texts are handed to rank() again.
  explicit SimilarIndex(std::span<const std::string_view> questions);
  // As the constructor, but gives up as soon as `stop` says so (it is asked every few hundred
  // questions), leaving nothing.
  static std::optional<SimilarIndex> buildUnlessStopped(std::span<const std::string_view> questions,
                                                        const std::function<bool()>& stop);

  std::size_t questionCount() const { return unitCounts_.size(); }
  std::size_t memoryBytes() const;

  // `questions` are the texts the index was built from, in the same order. The index cannot
  // tell changed texts from the same ones, so build it again whenever they change; given a
  // different number of texts it is not used, and the texts are scanned instead.
  std::vector<SimilarMatch> rank(std::span<const std::string_view> questions,
                                 std::string_view keyword, SimilarOptions options = {}) const;

 private:
  bool build(std::span<const std::string_view> questions, const std::function<bool()>* stop);

  std::vector<std::uint32_t> gramKeys_;    // sorted gram keys
  std::vector<std::uint32_t> listStarts_;  // per key, where its list starts; one more at the end
  std::vector<std::uint8_t> lists_;        // per key, the questions holding it, as gaps
  std::vector<std::uint16_t> unitCounts_;  // normalised length of every question
};

}  // namespace search
