#include "search/similar_index.h"

#include <algorithm>
#include <bit>
#include <numeric>

#include "search/similar_ranking.h"
#include "search/similarity.h"

namespace search {
namespace {

// Pair keys to dense numbers while the index is built.
class PairNumbers {
 public:
  PairNumbers() : keys_(1 << 16, 0), numbers_(1 << 16, 0) {}

  std::uint32_t numberOf(std::uint32_t key) {
    std::size_t at = slotOf(key);
    if (keys_[at] == key) return numbers_[at];
    if (2 * (count_ + 1) > keys_.size()) {
      grow();
      at = slotOf(key);
    }
    keys_[at] = key;
    numbers_[at] = count_;
    return count_++;
  }
  std::uint32_t size() const { return count_; }
  // (key, number) of every pair seen.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> entries() const {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> all;
    all.reserve(count_);
    for (std::size_t i = 0; i < keys_.size(); ++i)
      if (keys_[i] != 0) all.emplace_back(keys_[i], numbers_[i]);
    return all;
  }

 private:
  // The key's slot, or the empty slot where it would go.
  std::size_t slotOf(std::uint32_t key) const {
    std::size_t mask = keys_.size() - 1;
    std::size_t at = (key * 0x9E3779B1u) >> (32 - std::countr_zero(keys_.size()));
    while (keys_[at] != 0 && keys_[at] != key) at = (at + 1) & mask;
    return at;
  }
  void grow() {
    std::vector<std::uint32_t> oldKeys(keys_.size() * 2, 0), oldNumbers(keys_.size() * 2, 0);
    oldKeys.swap(keys_);  // keys_ is now the larger, empty table
    oldNumbers.swap(numbers_);
    for (std::size_t i = 0; i < oldKeys.size(); ++i) {
      if (oldKeys[i] == 0) continue;
      std::size_t at = slotOf(oldKeys[i]);
      keys_[at] = oldKeys[i];
      numbers_[at] = oldNumbers[i];
    }
  }

  std::vector<std::uint32_t> keys_, numbers_;
  std::uint32_t count_ = 0;
};

std::size_t gapLength(std::uint32_t gap) {
  std::size_t length = 1;
  for (; gap >= 0x80; gap >>= 7) ++length;
  return length;
}

void putGap(std::uint8_t*& out, std::uint32_t gap) {
  for (; gap >= 0x80; gap >>= 7) *out++ = static_cast<std::uint8_t>(gap | 0x80);
  *out++ = static_cast<std::uint8_t>(gap);
}

// Calls visit(pair number, gap) once for every distinct pair of every question, in question
// order, where gap is how many questions on this one is from the pair's previous question (or
// its number counted from 1 for the pair's first), and measure(units) once for every question.
template <typename Visit, typename Measure>
void forEachDistinctPair(std::span<const std::string_view> questions, PairNumbers& numbers,
                         Visit visit, Measure measure) {
  std::vector<std::uint32_t> lastQuestion;
  std::vector<NormalUnit> units;
  for (std::size_t i = 0; i < questions.size(); ++i) {
    normalizeText(questions[i], units);
    measure(units);
    auto question = static_cast<std::uint32_t>(i + 1);
    for (std::size_t j = 1; j < units.size(); ++j) {
      std::uint32_t number = numbers.numberOf(ranking::pairKey(units[j - 1], units[j]));
      if (number == lastQuestion.size()) lastQuestion.push_back(0);
      if (lastQuestion[number] == question) continue;
      visit(number, question - lastQuestion[number]);
      lastQuestion[number] = question;
    }
  }
}

}  // namespace

SimilarIndex::SimilarIndex(std::span<const std::string_view> questions) {
  // Two passes over the texts: the first measures every pair's list, the second fills them in
  // one buffer, so building never holds more than the finished index and the pair numbers.
  unitCounts_.reserve(questions.size());
  PairNumbers numbers;
  std::vector<std::uint32_t> listLength;
  forEachDistinctPair(
      questions, numbers,
      [&](std::uint32_t number, std::uint32_t gap) {
        if (number == listLength.size()) listLength.push_back(0);
        listLength[number] += static_cast<std::uint32_t>(gapLength(gap));
      },
      [&](const std::vector<NormalUnit>& units) {
        unitCounts_.push_back(static_cast<std::uint16_t>(units.size()));
      });

  auto entries = numbers.entries();
  std::sort(entries.begin(), entries.end());
  pairKeys_.resize(entries.size());
  listStarts_.resize(entries.size() + 1);
  std::vector<std::uint32_t> writeAt(entries.size());
  std::uint32_t total = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    pairKeys_[i] = entries[i].first;
    listStarts_[i] = total;
    writeAt[entries[i].second] = total;
    total += listLength[entries[i].second];
  }
  listStarts_[entries.size()] = total;
  lists_.resize(total);

  forEachDistinctPair(
      questions, numbers,
      [&](std::uint32_t number, std::uint32_t gap) {
        std::uint8_t* out = lists_.data() + writeAt[number];
        putGap(out, gap);
        writeAt[number] = static_cast<std::uint32_t>(out - lists_.data());
      },
      [](const std::vector<NormalUnit>&) {});
}

std::size_t SimilarIndex::memoryBytes() const {
  return pairKeys_.capacity() * sizeof(std::uint32_t) +
         listStarts_.capacity() * sizeof(std::uint32_t) + lists_.capacity() +
         unitCounts_.capacity() * sizeof(std::uint16_t);
}

std::vector<SimilarMatch> SimilarIndex::rank(std::span<const std::string_view> questions,
                                             std::string_view keyword,
                                             SimilarOptions options) const {
  if (questions.size() != unitCounts_.size()) return rankSimilar(questions, keyword, options);
  ranking::PreparedKeyword prepared = ranking::prepareKeyword(keyword);
  if (!prepared.usable()) return {};

  // How many of the keyword's pairs, and of its stem's, each question holds.
  std::vector<std::uint16_t> shared(unitCounts_.size(), 0);
  std::vector<std::uint16_t> sharedStem(prepared.hasStem() ? unitCounts_.size() : 0, 0);
  for (std::size_t p = 0; p < prepared.pairs.size(); ++p) {
    std::uint32_t key = prepared.pairs[p];
    bool inStem = prepared.hasStem() && prepared.pairInStem[p];
    auto found = std::lower_bound(pairKeys_.begin(), pairKeys_.end(), key);
    if (found == pairKeys_.end() || *found != key) continue;
    std::size_t list = static_cast<std::size_t>(found - pairKeys_.begin());
    const std::uint8_t* in = lists_.data() + listStarts_[list];
    const std::uint8_t* end = lists_.data() + listStarts_[list + 1];
    std::uint32_t question = 0;
    while (in < end) {
      std::uint32_t gap = 0;
      for (int shift = 0;; shift += 7) {
        std::uint8_t byte = *in++;
        gap |= std::uint32_t{byte & 0x7Fu} << shift;
        if (byte < 0x80) break;
      }
      question += gap;
      ++shared[question - 1];
      if (inStem) ++sharedStem[question - 1];
    }
  }

  std::vector<ranking::Candidate> candidates;
  for (std::size_t i = 0; i < shared.size(); ++i) {
    if (!shared[i]) continue;
    double estimate = ranking::estimate(prepared, shared[i], prepared.hasStem() ? sharedStem[i] : 0,
                                        unitCounts_[i]);
    if (estimate > 0) candidates.push_back({estimate, i});
  }
  std::size_t keep = std::min(candidates.size(), prepared.candidateLimit);
  std::partial_sort(candidates.begin(), candidates.begin() + keep, candidates.end(),
                    ranking::ranksBefore);
  std::vector<ranking::CandidateText> texts;
  for (std::size_t i = 0; i < keep; ++i)
    texts.push_back({candidates[i].index, questions[candidates[i].index]});
  return ranking::rankCandidates(prepared, texts, options);
}

}  // namespace search
