#include "search/similar_index.h"

#include <algorithm>
#include <bit>
#include <numeric>

#include "search/similar_ranking.h"
#include "search/similarity.h"

namespace search {
namespace {

// Every gram seen while the index is built, with what the build keeps on it. One slot holds
// it all, so a look-up in a table far larger than the cache touches one cache line.
class GramTable {
 public:
  struct Slot {
    std::uint32_t key = 0;           // 0: empty
    std::uint32_t lastQuestion = 0;  // counted from 1; 0 before the first
    std::uint32_t value = 0;         // the list's length, then where it is written next
  };

  GramTable() : slots_(1 << 16), shift_(16) {}

  Slot& operator[](std::uint32_t key) {
    Slot* slot = slotOf(key);
    if (slot->key == key) return *slot;
    if (2 * (count_ + 1) > slots_.size()) {
      grow();
      slot = slotOf(key);
    }
    slot->key = key;
    ++count_;
    return *slot;
  }
  // Every slot in use, by key.
  std::vector<Slot*> byKey() {
    std::vector<Slot*> all;
    all.reserve(count_);
    for (Slot& slot : slots_)
      if (slot.key != 0) all.push_back(&slot);
    std::sort(all.begin(), all.end(), [](const Slot* a, const Slot* b) { return a->key < b->key; });
    return all;
  }

 private:
  // The key's slot, or the empty slot where it would go.
  Slot* slotOf(std::uint32_t key) {
    std::size_t mask = slots_.size() - 1;
    std::size_t at = (key * 0x9E3779B1u) >> (32 - shift_);
    while (slots_[at].key != 0 && slots_[at].key != key) at = (at + 1) & mask;
    return &slots_[at];
  }
  void grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);  // slots_ is now the larger, empty table
    ++shift_;
    for (const Slot& slot : old)
      if (slot.key != 0) *slotOf(slot.key) = slot;
  }

  std::vector<Slot> slots_;
  int shift_;
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

// Calls visit(slot, gap) once for every distinct gram of every question, in question order,
// where gap is how many questions on this one is from the gram's previous question (for its
// first, the question's number counted from 1), and measure(units) once for every question.
// False when `stop` (if any) said to stop.
template <typename Visit, typename Measure>
bool forEachDistinctGram(std::span<const std::string_view> questions, GramTable& grams,
                         const std::function<bool()>* stop, Visit visit, Measure measure) {
  constexpr std::size_t kStopCheckEvery = 256;
  std::vector<char16_t> groups;
  for (std::size_t i = 0; i < questions.size(); ++i) {
    if (stop && i % kStopCheckEvery == 0 && (*stop)()) return false;
    normalizeGroups(questions[i], groups);
    measure(groups.size());
    auto question = static_cast<std::uint32_t>(i + 1);
    for (std::size_t j = 1; j < groups.size(); ++j) {
      GramTable::Slot& slot = grams[ranking::gramKey(groups.data(), j)];
      if (slot.lastQuestion == question) continue;
      visit(slot, question - slot.lastQuestion);
      slot.lastQuestion = question;
    }
  }
  return true;
}

}  // namespace

SimilarIndex::SimilarIndex(std::span<const std::string_view> questions) {
  build(questions, nullptr);
}

std::optional<SimilarIndex> SimilarIndex::buildUnlessStopped(
    std::span<const std::string_view> questions, const std::function<bool()>& stop) {
  std::optional<SimilarIndex> index(std::in_place);
  if (!index->build(questions, &stop)) index.reset();
  return index;
}

bool SimilarIndex::build(std::span<const std::string_view> questions,
                         const std::function<bool()>* stop) {
  // Two passes over the texts: the first measures every gram's list, the second fills the
  // lists in one buffer, so building never holds more than the finished index and the table.
  unitCounts_.reserve(questions.size());
  GramTable grams;
  if (!forEachDistinctGram(
          questions, grams, stop,
          [](GramTable::Slot& slot, std::uint32_t gap) {
            slot.value += static_cast<std::uint32_t>(gapLength(gap));
          },
          [&](std::size_t units) { unitCounts_.push_back(static_cast<std::uint16_t>(units)); }))
    return false;

  std::vector<GramTable::Slot*> slots = grams.byKey();
  gramKeys_.resize(slots.size());
  listStarts_.resize(slots.size() + 1);
  std::uint32_t total = 0;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    gramKeys_[i] = slots[i]->key;
    listStarts_[i] = total;
    total += slots[i]->value;
    slots[i]->value = listStarts_[i];
    slots[i]->lastQuestion = 0;
  }
  listStarts_[slots.size()] = total;
  lists_.resize(total);

  return forEachDistinctGram(
      questions, grams, stop,
      [&](GramTable::Slot& slot, std::uint32_t gap) {
        std::uint8_t* out = lists_.data() + slot.value;
        putGap(out, gap);
        slot.value = static_cast<std::uint32_t>(out - lists_.data());
      },
      [](std::size_t) {});
}

std::size_t SimilarIndex::memoryBytes() const {
  return gramKeys_.capacity() * sizeof(std::uint32_t) +
         listStarts_.capacity() * sizeof(std::uint32_t) + lists_.capacity() +
         unitCounts_.capacity() * sizeof(std::uint16_t);
}

std::vector<SimilarMatch> SimilarIndex::rank(std::span<const std::string_view> questions,
                                             std::string_view keyword,
                                             SimilarOptions options) const {
  if (questions.size() != unitCounts_.size()) return rankSimilar(questions, keyword, options);
  ranking::PreparedKeyword prepared = ranking::prepareKeyword(keyword);
  if (!prepared.usable()) return {};

  // How many of the keyword's grams, and of its stem's, each question holds.
  std::vector<std::uint16_t> shared(unitCounts_.size(), 0);
  std::vector<std::uint16_t> sharedStem(prepared.hasStem() ? unitCounts_.size() : 0, 0);
  for (std::size_t p = 0; p < prepared.grams.size(); ++p) {
    std::uint32_t key = prepared.grams[p];
    bool inStem = prepared.hasStem() && prepared.gramInStem[p];
    auto found = std::lower_bound(gramKeys_.begin(), gramKeys_.end(), key);
    if (found == gramKeys_.end() || *found != key) continue;
    std::size_t list = static_cast<std::size_t>(found - gramKeys_.begin());
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
  std::size_t keep = std::min(candidates.size(), ranking::kMaxCandidates);
  std::partial_sort(candidates.begin(), candidates.begin() + keep, candidates.end(),
                    ranking::ranksBefore);
  std::vector<ranking::CandidateText> texts;
  for (std::size_t i = 0; i < keep; ++i)
    texts.push_back({candidates[i].index, questions[candidates[i].index]});
  return ranking::rankCandidates(prepared, texts, options);
}

}  // namespace search
