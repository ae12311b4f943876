#include "search/similar_ranking.h"

#include <algorithm>

#include "search/similarity.h"

namespace search::ranking {
namespace {

// Alignment work per keyword, in cells of the alignment table, assuming questions of about
// 256 characters: a long keyword gets fewer candidates, so it still answers quickly.
constexpr std::size_t kAlignmentBudget = 8'000'000;
constexpr std::size_t kMinCandidates = 24;
constexpr std::size_t kMaxCandidates = 128;

struct Scored {
  SimilarMatch match;
  std::size_t questionUnits = 0;
};

}  // namespace

PreparedKeyword prepareKeyword(std::string_view keyword) {
  PreparedKeyword prepared;
  std::size_t used = normalizeText(keyword, prepared.units);
  prepared.stemUnits = prepared.units.size();
  std::size_t optionsAt = trailingOptionsStart(keyword.substr(0, used));
  if (optionsAt != std::string_view::npos) {
    std::size_t stemUnits = normalizeText(keyword.substr(0, optionsAt)).size();
    if (stemUnits >= 2) prepared.stemUnits = std::min(stemUnits, prepared.units.size());
  }

  std::vector<std::pair<std::uint32_t, bool>> pairs;
  for (std::size_t i = 1; i < prepared.units.size(); ++i)
    pairs.emplace_back(pairKey(prepared.units[i - 1], prepared.units[i]), i < prepared.stemUnits);
  // Sorted with the stem's copy of a pair last, so the one kept of equal keys says "in stem".
  std::sort(pairs.begin(), pairs.end());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    if (i + 1 < pairs.size() && pairs[i + 1].first == pairs[i].first) continue;
    prepared.pairs.push_back(pairs[i].first);
    prepared.pairInStem.push_back(pairs[i].second);
    prepared.stemPairs += pairs[i].second;
  }
  std::size_t units = std::max<std::size_t>(prepared.units.size(), 1);
  prepared.candidateLimit =
      std::clamp(kAlignmentBudget / (units * 256), kMinCandidates, kMaxCandidates);
  return prepared;
}

double estimate(const PreparedKeyword& keyword, std::size_t shared, std::size_t sharedStem,
                std::size_t questionUnits) {
  double best = estimateScore(shared, keyword.pairs.size(), questionUnits);
  if (keyword.hasStem())
    best =
        std::max(best, kStemWeight * estimateScore(sharedStem, keyword.stemPairs, questionUnits));
  return best;
}

std::vector<SimilarMatch> rankCandidates(const PreparedKeyword& keyword,
                                         const std::vector<CandidateText>& candidates,
                                         const SimilarOptions& options) {
  std::vector<Scored> scored;
  std::vector<NormalUnit> question;
  for (const CandidateText& candidate : candidates) {
    normalizeText(candidate.text, question);
    AlignmentPoints points = alignmentPoints(keyword.units, keyword.stemUnits, question);
    double score = similarityScore(points.whole, keyword.units.size(), question.size());
    if (keyword.hasStem())
      score = std::max(
          score, kStemWeight * similarityScore(points.stem, keyword.stemUnits, question.size()));
    if (score > options.threshold) scored.push_back({{candidate.index, score}, question.size()});
  }
  std::sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) {
    if (a.match.score != b.match.score) return a.match.score > b.match.score;
    if (a.questionUnits != b.questionUnits) return a.questionUnits < b.questionUnits;
    return a.match.index < b.match.index;
  });
  std::vector<SimilarMatch> results;
  for (std::size_t i = 0; i < scored.size() && i < options.maxResults; ++i)
    results.push_back(scored[i].match);
  return results;
}

}  // namespace search::ranking
