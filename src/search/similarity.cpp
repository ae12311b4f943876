#include "search/similarity.h"

#include <algorithm>
#include <vector>

namespace search {

AlignmentPoints alignmentPoints(std::span<const NormalUnit> keyword, std::size_t stemUnits,
                                std::span<const NormalUnit> question) {
  // Smith-Waterman, one keyword character a row: row[j] holds the best alignment that ends at
  // question[j - 1]. Rows go through the keyword in order, so the best after the stem's rows is
  // the stem's. Each row is worked out in two sweeps: first from the row above alone, which
  // has no step from one cell to the next and so runs many cells at once, then the gaps along
  // the row. Points fit 16 bits: at most kMatchPoints for each of kMaxNormalUnits characters.
  static_assert(kLookalikePoints - kMissPoints + 1 == kMatchPoints - kMissPoints);
  const std::size_t n = question.size();
  std::vector<std::uint16_t> chars(n), groups(n);
  for (std::size_t j = 0; j < n; ++j) {
    chars[j] = unitChar(question[j]);
    groups[j] = unitGroup(question[j]);
  }
  std::vector<std::int16_t> aboveRow(n + 1, 0), thisRow(n + 1, 0);
  AlignmentPoints points;
  int best = 0;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    if (i == stemUnits) points.stem = best;
    const std::uint16_t kChar = unitChar(keyword[i]), kGroup = unitGroup(keyword[i]);
    const std::int16_t* above = aboveRow.data();
    std::int16_t* row = thisRow.data();
    for (std::size_t j = 1; j <= n; ++j) {
      // A look-alike gains kLookalikePoints, the very character one point more.
      int step = kMissPoints + (kLookalikePoints - kMissPoints) * (groups[j - 1] == kGroup) +
                 (chars[j - 1] == kChar);
      int here = std::max(above[j - 1] + step, above[j] + kMissPoints);
      row[j] = static_cast<std::int16_t>(std::max(here, 0));
    }
    // row[j] = max(row[j], row[j - 1] + kMissPoints) along the row, as a running maximum of
    // row[j] - j * kMissPoints: one step of dependency from cell to cell instead of two.
    int running = 0, rowBest = 0;
    for (std::size_t j = 1; j <= n; ++j) {
      int offset = static_cast<int>(j) * kMissPoints;
      running = std::max(running, row[j] - offset);
      row[j] = static_cast<std::int16_t>(running + offset);
      rowBest = std::max<int>(rowBest, row[j]);
    }
    best = std::max(best, rowBest);
    thisRow.swap(aboveRow);
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

double estimateScore(std::size_t sharedGrams, std::size_t keywordGrams, std::size_t questionUnits) {
  if (sharedGrams == 0 || keywordGrams == 0 || questionUnits < 2) return 0;
  double keywordShare = std::min(1.0, sharedGrams / double(keywordGrams));
  double questionShare = std::min(1.0, sharedGrams / double(questionUnits - 1));
  return combineShares(keywordShare, questionShare);
}

}  // namespace search
