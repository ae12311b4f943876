#include "search/similar_search.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "search/similar_ranking.h"
#include "search/similarity.h"

namespace search {
namespace {

using ranking::Candidate;

// Counts how many of the keyword's distinct grams occur in a text. Most grams of a text are
// not the keyword's: a bitmap of hashed keys turns those away before the table is probed.
class GramCounter {
 public:
  explicit GramCounter(const ranking::PreparedKeyword& keyword)
      : slots_(std::bit_ceil(std::max<std::size_t>(keyword.grams.size() * 2, 16))),
        shift_(32 - std::countr_zero(slots_.size())),
        bitmap_(kBitmapBits / 64, 0) {
    for (std::size_t i = 0; i < keyword.grams.size(); ++i) {
      std::uint32_t key = keyword.grams[i];
      std::uint32_t hash = hashOf(key);
      bitmap_[hash >> 22] |= std::uint64_t{1} << (hash >> 16 & 63);
      std::size_t at = hash >> shift_;
      while (slots_[at].key != 0) at = (at + 1) & (slots_.size() - 1);
      slots_[at].key = key;
      slots_[at].inStem = keyword.gramInStem[i];
    }
  }

  struct Counts {
    std::size_t shared = 0, sharedStem = 0;
  };
  Counts count(const std::vector<char16_t>& groups) {
    if (++stamp_ == 0) {  // the stamps wrapped: forget them all
      for (Slot& slot : slots_) slot.stamp = 0;
      stamp_ = 1;
    }
    // First the grams that pass the bitmap, without a branch on each, then only those probed.
    passed_.resize(groups.size());
    std::size_t passed = 0;
    for (std::size_t i = 1; i < groups.size(); ++i) {
      std::uint32_t key = ranking::gramKey(groups.data(), i);
      std::uint32_t hash = hashOf(key);
      passed_[passed] = key;
      passed += bitmap_[hash >> 22] >> (hash >> 16 & 63) & 1;
    }
    Counts counts;
    for (std::size_t p = 0; p < passed; ++p) {
      std::uint32_t key = passed_[p];
      for (std::size_t at = hashOf(key) >> shift_; slots_[at].key != 0;
           at = (at + 1) & (slots_.size() - 1)) {
        if (slots_[at].key != key) continue;
        if (slots_[at].stamp != stamp_) {
          slots_[at].stamp = stamp_;
          ++counts.shared;
          counts.sharedStem += slots_[at].inStem;
        }
        break;
      }
    }
    return counts;
  }

 private:
  static constexpr std::size_t kBitmapBits = 1 << 16;
  struct Slot {
    std::uint32_t key = 0;
    std::uint32_t stamp = 0;
    bool inStem = false;
  };
  static std::uint32_t hashOf(std::uint32_t key) { return key * 0x9E3779B1u; }

  std::vector<Slot> slots_;
  int shift_;
  std::vector<std::uint64_t> bitmap_;
  std::vector<std::uint32_t> passed_;
  std::uint32_t stamp_ = 0;
};

struct Kept {
  Candidate candidate;
  std::string text;
};

bool keptRanksBefore(const Kept& a, const Kept& b) {
  return ranking::ranksBefore(a.candidate, b.candidate);
}

}  // namespace

struct SimilarScan::State {
  SimilarOptions options;
  ranking::PreparedKeyword keyword;
  GramCounter counter;
  std::vector<char16_t> groups;
  std::vector<Kept> kept;  // a heap whose front ranks last

  State(std::string_view text, SimilarOptions opts)
      : options(opts), keyword(ranking::prepareKeyword(text)), counter(keyword) {}
};

SimilarScan::SimilarScan(std::string_view keyword, SimilarOptions options)
    : state_(std::make_unique<State>(keyword, options)) {}

SimilarScan::~SimilarScan() = default;

bool SimilarScan::usable() const { return state_->keyword.usable(); }

void SimilarScan::add(std::size_t index, std::string_view question) {
  State& s = *state_;
  if (!s.keyword.usable()) return;
  normalizeGroups(question, s.groups);
  auto counts = s.counter.count(s.groups);
  Candidate candidate{
      ranking::estimate(s.keyword, counts.shared, counts.sharedStem, s.groups.size()), index};
  if (candidate.estimate <= 0) return;
  if (s.kept.size() < ranking::kMaxCandidates) {
    s.kept.push_back({candidate, std::string(question)});
    std::push_heap(s.kept.begin(), s.kept.end(), keptRanksBefore);
  } else if (ranking::ranksBefore(candidate, s.kept.front().candidate)) {
    std::pop_heap(s.kept.begin(), s.kept.end(), keptRanksBefore);
    s.kept.back().candidate = candidate;
    s.kept.back().text.assign(question);
    std::push_heap(s.kept.begin(), s.kept.end(), keptRanksBefore);
  }
}

std::vector<SimilarMatch> SimilarScan::results() const {
  std::vector<const Kept*> best;
  for (const Kept& kept : state_->kept) best.push_back(&kept);
  std::sort(best.begin(), best.end(),
            [](const Kept* a, const Kept* b) { return keptRanksBefore(*a, *b); });
  std::vector<ranking::CandidateText> candidates;
  for (const Kept* kept : best) candidates.push_back({kept->candidate.index, kept->text});
  return ranking::rankCandidates(state_->keyword, candidates, state_->options);
}

void SimilarScan::absorb(SimilarScan& other) {
  std::vector<Kept>& kept = state_->kept;
  for (Kept& offered : other.state_->kept) {
    if (kept.size() < ranking::kMaxCandidates) {
      kept.push_back(std::move(offered));
      std::push_heap(kept.begin(), kept.end(), keptRanksBefore);
    } else if (ranking::ranksBefore(offered.candidate, kept.front().candidate)) {
      std::pop_heap(kept.begin(), kept.end(), keptRanksBefore);
      kept.back() = std::move(offered);
      std::push_heap(kept.begin(), kept.end(), keptRanksBefore);
    }
  }
  other.state_->kept.clear();
}

std::vector<SimilarMatch> rankSimilar(std::span<const std::string_view> questions,
                                      std::string_view keyword, SimilarOptions options) {
  return scanSimilar(
      questions.size(), keyword,
      [questions](SimilarScan& scan, std::size_t first, std::size_t end) {
        for (std::size_t i = first; i < end; ++i) scan.add(i, questions[i]);
      },
      options);
}

std::vector<SimilarMatch> scanSimilar(
    std::size_t count, std::string_view keyword,
    const std::function<void(SimilarScan&, std::size_t first, std::size_t end)>& feed,
    SimilarOptions options) {
  // Below this many questions a second thread costs about what it saves.
  constexpr std::size_t kTwoThreadsFrom = 20000;
  SimilarScan scan(keyword, options);
  if (!scan.usable()) return {};
  if (count >= kTwoThreadsFrom && std::thread::hardware_concurrency() > 1) {
    // The candidates each half keeps include every one a single scan would keep, and absorb
    // keeps the best of them in the same order: the same results.
    SimilarScan second(keyword, options);
    const std::size_t half = count / 2;
    std::optional<std::thread> helper;
    try {
      helper.emplace([&] { feed(second, half, count); });
    } catch (const std::system_error&) {
      feed(second, half, count);  // no thread to be had: one after the other
    }
    feed(scan, 0, half);
    if (helper) helper->join();
    scan.absorb(second);
  } else {
    feed(scan, 0, count);
  }
  return scan.results();
}

}  // namespace search
