// The steps both ways into the similar-question ranking share: the keyword made ready, the
// order of candidates by their estimate, and the final alignment of the chosen candidates.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "search/similar_search.h"
#include "search/text_normalizer.h"

namespace search::ranking {

// Key of two neighbouring characters by their look-alike groups; never 0.
inline std::uint32_t pairKey(NormalUnit first, NormalUnit second) {
  return (first & 0xFFFF0000u) | (second >> 16);
}

// A keyword with options trailing it also counts by its stem, the text before the options: a
// bank may hold the question without them. A question found by the stem alone scores a little
// less than one that holds the options too.
inline constexpr double kStemWeight = 0.95;

struct PreparedKeyword {
  std::vector<NormalUnit> units;
  std::size_t stemUnits = 0;         // all units when no options trail the keyword
  std::vector<std::uint32_t> pairs;  // distinct pair keys, sorted
  std::vector<bool> pairInStem;      // for each of `pairs`: does it occur in the stem?
  std::size_t stemPairs = 0;
  std::size_t candidateLimit = 0;  // how many candidates get the full alignment
  bool usable() const { return !pairs.empty(); }
  bool hasStem() const { return stemUnits < units.size(); }
};
PreparedKeyword prepareKeyword(std::string_view keyword);

// The estimate of a question of `questionUnits` characters that holds `shared` of the keyword's
// pairs, `sharedStem` of them pairs of the stem.
double estimate(const PreparedKeyword& keyword, std::size_t shared, std::size_t sharedStem,
                std::size_t questionUnits);

struct Candidate {
  double estimate = 0;
  std::size_t index = 0;
};
// Higher estimate first, then lower index: the same order whichever way found the candidates.
inline bool ranksBefore(const Candidate& a, const Candidate& b) {
  return a.estimate != b.estimate ? a.estimate > b.estimate : a.index < b.index;
}

struct CandidateText {
  std::size_t index = 0;
  std::string_view text;
};
// Scores every candidate by alignment and returns the best, as the options ask.
std::vector<SimilarMatch> rankCandidates(const PreparedKeyword& keyword,
                                         const std::vector<CandidateText>& candidates,
                                         const SimilarOptions& options);

}  // namespace search::ranking
