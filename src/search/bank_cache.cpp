#include "search/bank_cache.h"

#include <algorithm>
#include <new>

#include "platform/little_endian.h"
#include "search/bank_reading.h"
#include "search/keyword_finder.h"

namespace search {

struct BankCache::Texts {
  // Every question followed by a zero byte, so no keyword (which holds none) matches across
  // two; where each starts, and one more start after the last. The answers the same way,
  // without the zero bytes.
  std::string questionBytes;
  std::vector<std::size_t> questionStarts;
  std::vector<std::string_view> questions;
  std::string answerBytes;
  std::vector<std::size_t> answerStarts;
  std::vector<std::int32_t> serials;
};

namespace {

// What load() returns when the texts do not fit in memory: the search then reads the file.
constexpr int kNoRoom = 1;

// Room for `now` more bytes, and when it must grow, for what the records still to come will
// likely need as well: growing a large buffer step by step copies it again and again.
void makeRoom(std::string& bytes, std::size_t now, std::size_t later) {
  if (bytes.size() + now > bytes.capacity()) bytes.reserve(bytes.size() + now + later + later / 8);
}

}  // namespace

void BankCache::forget() {
  stamp_ = {};
  texts_.reset();
  searched_ = 0;
  index_.reset();
  indexFailed_ = false;
}

int BankCache::load(bank::RecordReader& reader, const reading::BankFields& fields) {
  forget();
  const auto count = static_cast<std::size_t>(reader.count());
  auto texts = std::make_shared<Texts>();
  try {
    texts->questionStarts.reserve(count + 1);
    texts->answerStarts.reserve(count + 1);
    texts->serials.reserve(count);
    std::vector<std::string_view> run;
    int code = reader.forEachRun(0, reader.count(), [&](const bank::RecordRun& records) {
      // The lengths of a whole run first, so the buffers grow seldom.
      run.clear();
      std::size_t questionNeed = 0, answerNeed = 0;
      for (std::int32_t i = 0; i < records.count; ++i) {
        const char* record = records.bytes + std::size_t(i) * fields.recordSize;
        run.push_back(reading::questionIn(record, fields));
        run.push_back(bank::readTextSlot({record + fields.answerOffset, fields.answerWidth}));
        questionNeed += run[run.size() - 2].size() + 1;
        answerNeed += run.back().size();
      }
      const std::size_t left = count - std::size_t(records.first) - std::size_t(records.count);
      makeRoom(texts->questionBytes, questionNeed,
               questionNeed / std::size_t(records.count) * left);
      makeRoom(texts->answerBytes, answerNeed, answerNeed / std::size_t(records.count) * left);
      for (std::int32_t i = 0; i < records.count; ++i) {
        texts->serials.push_back(le::i32(records.bytes + std::size_t(i) * fields.recordSize));
        texts->questionStarts.push_back(texts->questionBytes.size());
        texts->questionBytes.append(run[2 * std::size_t(i)]);
        texts->questionBytes.push_back('\0');
        texts->answerStarts.push_back(texts->answerBytes.size());
        texts->answerBytes.append(run[2 * std::size_t(i) + 1]);
      }
      return true;
    });
    if (code) return code;
    texts->questionStarts.push_back(texts->questionBytes.size());
    texts->answerStarts.push_back(texts->answerBytes.size());
    texts->questions.reserve(count);
    const auto& starts = texts->questionStarts;
    for (std::size_t i = 0; i < count; ++i)
      texts->questions.emplace_back(texts->questionBytes.data() + starts[i],
                                    starts[i + 1] - starts[i] - 1);
  } catch (const std::bad_alloc&) {
    return kNoRoom;
  }
  texts_ = std::move(texts);
  stamp_ = reader.stamp();
  ++loads_;
  return bank::kOk;
}

std::span<const std::string_view> BankCache::questions(std::size_t count) const {
  return std::span<const std::string_view>(texts_->questions)
      .first(std::min(count, texts_->questions.size()));
}

std::vector<std::int32_t> BankCache::recordsHolding(std::string_view keyword,
                                                    std::size_t count) const {
  // One pass over all the questions at once; a place found is checked in its own question.
  const auto& starts = texts_->questionStarts;
  std::vector<std::int32_t> found;
  KeywordFinder finder(keyword);
  const std::string_view all(texts_->questionBytes.data(), starts[count]);
  auto next = starts.begin();
  for (std::size_t at = finder.findBytes(all); at != std::string_view::npos;) {
    next = std::upper_bound(next, starts.begin() + std::ptrdiff_t(count), at);
    const auto record = static_cast<std::size_t>(next - starts.begin()) - 1;
    const std::string_view question = texts_->questions[record];
    std::size_t boundary = 0;
    for (std::size_t place = at - starts[record]; place != std::string_view::npos;
         place = finder.findBytes(question, place + 1)) {
      if (KeywordFinder::startsCharacter(question, place, boundary)) {
        found.push_back(static_cast<std::int32_t>(record));
        break;
      }
    }
    at = finder.findBytes(all, starts[record + 1]);
  }
  return found;
}

SearchRow BankCache::rowOf(std::int32_t record, double score) const {
  const auto i = static_cast<std::size_t>(record);
  const Texts& texts = *texts_;
  return {record + 1, texts.serials[i], texts.questions[i],
          std::string_view(texts.answerBytes)
              .substr(texts.answerStarts[i], texts.answerStarts[i + 1] - texts.answerStarts[i]),
          score};
}

SearchResult BankCache::search(bank::RecordDatabase& database,
                               const std::filesystem::path& bankPath,
                               const SearchRequest& request) {
  return reading::searchWith(
      database, bankPath, request.keyword,
      [&](bank::RecordReader& reader, const reading::BankFields& fields, SearchResult& result,
          bool& similar) -> int {
        if (!texts_ || !stamp_.sameAs(reader.stamp())) {
          int code = load(reader, fields);
          if (code == kNoRoom)
            return reading::searchRecords(reader, fields, request, result, similar);
          if (code) return code;
        }
        const auto count =
            static_cast<std::size_t>(reading::recordsToSearch(reader.count(), request.recordLimit));
        if (count != searched_) {
          searched_ = count;
          index_.reset();
          indexFailed_ = false;
        }
        result.texts = texts_;
        if (request.similar != SimilarMode::always) {
          std::vector<std::int32_t> records = recordsHolding(request.keyword, count);
          result.rows.reserve(records.size());
          for (std::int32_t record : records) result.rows.push_back(rowOf(record, 1));
          if (!result.rows.empty() || request.similar == SimilarMode::never) return bank::kOk;
        }
        similar = true;
        auto matches = index_ ? index_->rank(questions(count), request.keyword)
                              : rankSimilar(questions(count), request.keyword);
        for (const SimilarMatch& match : matches)
          result.rows.push_back(rowOf(static_cast<std::int32_t>(match.index), match.score));
        return bank::kOk;
      });
}

bool BankCache::wantsSimilarIndex() const { return searched_ > 0 && !index_ && !indexFailed_; }

bool BankCache::buildSimilarIndex(const std::function<bool()>& stop) {
  if (!wantsSimilarIndex()) return true;
  try {
    index_ = SimilarIndex::buildUnlessStopped(questions(searched_), stop);
  } catch (const std::bad_alloc&) {
    indexFailed_ = true;
  }
  return !wantsSimilarIndex();
}

}  // namespace search
