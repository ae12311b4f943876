// How close a question is to a keyword, both in normalised form: the best local alignment of
// the two and the score in [0, 1] made from it, and the cheaper estimate from shared character
// grams that picks the questions worth aligning.
#pragma once
#include <cstddef>
#include <span>

#include "search/text_normalizer.h"

namespace search {

// Alignment points: a character that matches scores kMatchPoints, a look-alike a little
// less; a wrong, missing or extra character costs as much as a match gains.
inline constexpr int kMatchPoints = 4;
inline constexpr int kLookalikePoints = 3;
inline constexpr int kMissPoints = -4;

// Points of the best-scoring pair of stretches, one from each text (0 when nothing matches):
// over the whole keyword, and over its first `stemUnits` characters only.
struct AlignmentPoints {
  int whole = 0;
  int stem = 0;
};
AlignmentPoints alignmentPoints(std::span<const NormalUnit> keyword, std::size_t stemUnits,
                                std::span<const NormalUnit> question);

// Score from the share of the keyword the alignment explains (`keywordShare`) and the share
// of the question (`questionShare`): the keyword share counts first, as a keyword that is one
// line of a question is explained in full; the question share lifts it, so that a question
// found whole inside a longer keyword scores high, while a short question that happens to stand
// in a long keyword does not.
double combineShares(double keywordShare, double questionShare);

// The score in [0, 1] of an alignment of `points` between texts of the given lengths.
double similarityScore(int points, std::size_t keywordUnits, std::size_t questionUnits);

// The estimate: `sharedGrams` of the keyword's `keywordGrams` distinct character grams (by
// look-alike group) occur in a question of `questionUnits` characters.
double estimateScore(std::size_t sharedGrams, std::size_t keywordGrams, std::size_t questionUnits);

}  // namespace search
