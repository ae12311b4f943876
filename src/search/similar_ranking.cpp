#include "search/similar_ranking.h"

#include <algorithm>

#include "search/similarity.h"

namespace search::ranking {
namespace {

// Alignment work per keyword, in cells of the alignment table (keyword length times question
// length): a long keyword, whose estimates are the surest, aligns fewer candidates and still
// answers quickly. The first kMinCandidates are aligned whatever they cost.
constexpr std::size_t kAlignmentBudget = 4'000'000;
constexpr std::size_t kMinCandidates = 24;
// A stem shorter than this is no question: options only, or options of an earlier question.
constexpr std::size_t kShortestStem = 6;

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
    if (stemUnits >= kShortestStem) prepared.stemUnits = std::min(stemUnits, prepared.units.size());
  }

  for (NormalUnit unit : prepared.units) prepared.groups.push_back(unitGroup(unit));
  std::vector<std::pair<std::uint32_t, bool>> grams;
  for (std::size_t i = 1; i < prepared.units.size(); ++i)
    grams.emplace_back(gramKey(prepared.groups.data(), i), i < prepared.stemUnits);
  // Sorted with the stem's copy of a gram last, so the one kept of equal keys says "in stem".
  std::sort(grams.begin(), grams.end());
  for (std::size_t i = 0; i < grams.size(); ++i) {
    if (i + 1 < grams.size() && grams[i + 1].first == grams[i].first) continue;
    prepared.grams.push_back(grams[i].first);
    prepared.gramInStem.push_back(grams[i].second);
    prepared.stemGrams += grams[i].second;
  }
  return prepared;
}

double estimate(const PreparedKeyword& keyword, std::size_t shared, std::size_t sharedStem,
                std::size_t questionUnits) {
  double best = estimateScore(shared, keyword.grams.size(), questionUnits);
  if (keyword.hasStem())
    best =
        std::max(best, kStemWeight * estimateScore(sharedStem, keyword.stemGrams, questionUnits));
  return best;
}

std::vector<SimilarMatch> rankCandidates(const PreparedKeyword& keyword,
                                         const std::vector<CandidateText>& candidates,
                                         const SimilarOptions& options) {
  std::vector<Scored> scored;
  std::vector<NormalUnit> question;
  std::size_t cells = 0;
  for (std::size_t c = 0; c < candidates.size(); ++c) {
    const CandidateText& candidate = candidates[c];
    normalizeText(candidate.text, question);
    std::size_t cost = keyword.units.size() * question.size();
    if (c >= kMinCandidates && cells + cost > kAlignmentBudget) break;
    cells += cost;
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
