#include "search/similarity.h"

#include <algorithm>
#include <vector>

namespace search {

AlignmentPoints alignmentPoints(std::span<const NormalUnit> keyword, std::size_t stemUnits,
                                std::span<const NormalUnit> question) {
  // Smith-Waterman with one row: row[j] holds the best alignment ending at question[j - 1].
  // Rows go through the keyword in order, so the best after the stem's rows is the stem's.
  std::vector<int> row(question.size() + 1, 0);
  AlignmentPoints points;
  int best = 0;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    if (i == stemUnits) points.stem = best;
    NormalUnit k = keyword[i];
    int diagonal = 0, left = 0;
    for (std::size_t j = 1; j <= question.size(); ++j) {
      NormalUnit q = question[j - 1];
      int up = row[j];
      int step = k == q ? kMatchPoints : (k ^ q) < 0x10000 ? kLookalikePoints : kMissPoints;
      int here = std::max({0, diagonal + step, up + kMissPoints, left + kMissPoints});
      diagonal = up;
      row[j] = left = here;
      best = std::max(best, here);
    }
  }
  points.whole = best;
  if (stemUnits >= keyword.size()) points.stem = best;
  return points;
}

double combineShares(double keywordShare, double questionShare) {
  return keywordShare * (1 + (1 - keywordShare) * questionShare);
}

double similarityScore(int points, std::size_t keywordUnits, std::size_t questionUnits) {
  if (points <= 0 || keywordUnits == 0 || questionUnits == 0) return 0;
  double keywordShare = std::min(1.0, points / double(kMatchPoints * keywordUnits));
  double questionShare = std::min(1.0, points / double(kMatchPoints * questionUnits));
  return combineShares(keywordShare, questionShare);
}

double estimateScore(std::size_t sharedPairs, std::size_t keywordPairs, std::size_t questionUnits) {
  if (sharedPairs == 0 || keywordPairs == 0 || questionUnits < 2) return 0;
  double keywordShare = std::min(1.0, sharedPairs / double(keywordPairs));
  double questionShare = std::min(1.0, sharedPairs / double(questionUnits - 1));
  return combineShares(keywordShare, questionShare);
}

}  // namespace search
