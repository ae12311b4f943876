// The similar-question ranking, for a keyword that the exact search does not find (text from
// the screen with recognition errors, line breaks, a question number or options in it): the
// questions closest to it, best first, each with a score in [0, 1].
//
// Two ways in give the same results: SimilarScan looks at the questions once as they are read
// and keeps nothing, and SimilarIndex (similar_index.h) is prepared once for question texts kept
// in memory and then answers each keyword quickly.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace search {

struct SimilarMatch {
  std::size_t index = 0;  // the question's index, as the caller numbered the questions
  double score = 0;       // above the threshold, at most 1; higher is closer
};

// Below this score a question has too little in common with the keyword to be shown. Tuned
// with the accuracy benchmark: about one keyword in a hundred made of a question's characters
// in random order, which no question holds, reaches it, while noisy keywords find their question
// above it as often as with any lower threshold.
inline constexpr double kSimilarThreshold = 0.6;
inline constexpr std::size_t kMaxSimilarResults = 10;

struct SimilarOptions {
  std::size_t maxResults = kMaxSimilarResults;
  double threshold = kSimilarThreshold;  // only questions scoring above it are returned
};

// A keyword with fewer than two characters left after normalising (empty, blanks or
// punctuation only, one character, a lone lead byte) finds nothing. Of a longer keyword only
// the first kMaxNormalUnits characters count. Ties go to the shorter question, then to the
// lower index.

// One pass over questions as they are read (GBK texts of any length; beyond kMaxNormalUnits
// characters they are cut).
class SimilarScan {
 public:
  explicit SimilarScan(std::string_view keyword, SimilarOptions options = {});
  ~SimilarScan();
  SimilarScan(const SimilarScan&) = delete;
  SimilarScan& operator=(const SimilarScan&) = delete;

  // False when the keyword cannot find anything; adding questions would be wasted work.
  bool usable() const;
  // The text is copied when it is kept as a candidate, so it need not outlive the call.
  void add(std::size_t index, std::string_view question);
  // The results so far, best first.
  std::vector<SimilarMatch> results() const;
  // Takes over what `other`, a scan of the same keyword and options over other questions,
  // has kept: the results are then those of one scan over both sets of questions.
  void absorb(SimilarScan& other);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A SimilarScan over `questions`, the index of each being its position.
std::vector<SimilarMatch> rankSimilar(std::span<const std::string_view> questions,
                                      std::string_view keyword, SimilarOptions options = {});

// The ranking over questions 0 .. count - 1, which `feed(scan, first, end)` adds to `scan`: on
// two threads when there are many (feed is then called from both at once, for the two halves),
// with the results of a single scan.
std::vector<SimilarMatch> scanSimilar(
    std::size_t count, std::string_view keyword,
    const std::function<void(SimilarScan&, std::size_t first, std::size_t end)>& feed,
    SimilarOptions options = {});

}  // namespace search
