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

// Key of the characters that end at groups[i] (i >= 1), by their look-alike groups: the pair
// groups[i - 1], groups[i], or the three ending there when they are all ASCII, as the letters
// and digits make too few pairs to tell one text from another. Never 0. A pair key holds the
// two groups; a key of three puts a surrogate in its high half, which no group is.
inline std::uint32_t gramKey(const char16_t* groups, std::size_t i) {
  std::uint32_t first = i >= 2 ? groups[i - 2] : 0xFFFF;
  std::uint32_t second = groups[i - 1], third = groups[i];
  std::uint32_t pair = second << 16 | third;
  std::uint32_t three =
      (0xD800u | (first & 0x7F) << 4 | second >> 3) << 16 | (second & 7) << 13 | third;
  return (first | second | third) < 0x80 ? three : pair;
}

// A keyword with options trailing it also counts by its stem, the text before the options: a
// bank may hold the question without them. A question found by the stem alone scores a little
// less than one that holds the options too.
inline constexpr double kStemWeight = 0.95;

struct PreparedKeyword {
  std::vector<NormalUnit> units;
  std::vector<char16_t> groups;      // of the units
  std::size_t stemUnits = 0;         // all units when no options trail the keyword
  std::vector<std::uint32_t> grams;  // distinct gram keys, sorted
  std::vector<bool> gramInStem;      // for each of `grams`: does it occur in the stem?
  std::size_t stemGrams = 0;
  bool usable() const { return !grams.empty(); }
  bool hasStem() const { return stemUnits < units.size(); }
};
PreparedKeyword prepareKeyword(std::string_view keyword);

// The estimate of a question of `questionUnits` characters that holds `shared` of the keyword's
// grams, `sharedStem` of them grams of the stem.
double estimate(const PreparedKeyword& keyword, std::size_t shared, std::size_t sharedStem,
                std::size_t questionUnits);

// How many candidates, best estimates first, are kept for the alignment; how many of them are
// aligned depends on their lengths (rankCandidates).
inline constexpr std::size_t kMaxCandidates = 128;

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
// Scores the candidates by alignment, in the order given (best estimate first) until the
// alignment work reaches its budget, and returns the best, as the options ask.
std::vector<SimilarMatch> rankCandidates(const PreparedKeyword& keyword,
                                         const std::vector<CandidateText>& candidates,
                                         const SimilarOptions& options);

}  // namespace search::ranking
