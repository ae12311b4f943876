#include "search/bank_cache.h"

#include <algorithm>
#include <new>

#include "platform/little_endian.h"
#include "search/bank_reading.h"
#include "search/keyword_finder.h"

namespace search {
namespace {

// What load() returns when the texts do not fit in memory: the search then reads the file.
constexpr int kNoRoom = 1;

template <typename T>
void release(T& container) {
  T().swap(container);
}

// Room for `now` more bytes, and when it must grow, for what the records still to come will
// likely need as well: growing a large buffer step by step copies it again and again.
void makeRoom(std::string& bytes, std::size_t now, std::size_t later) {
  if (bytes.size() + now > bytes.capacity()) bytes.reserve(bytes.size() + now + later + later / 8);
}

}  // namespace

void BankCache::forget() {
  stamp_ = {};
  release(questionBytes_);
  release(questionStarts_);
  release(questions_);
  release(answerBytes_);
  release(answerStarts_);
  release(serials_);
  searched_ = 0;
  index_.reset();
  indexFailed_ = false;
}

int BankCache::load(bank::RecordReader& reader, const reading::BankFields& fields) {
  forget();
  const auto count = static_cast<std::size_t>(reader.count());
  try {
    questionStarts_.reserve(count + 1);
    answerStarts_.reserve(count + 1);
    serials_.reserve(count);
    std::vector<std::string_view> texts;
    int code = reader.forEachRun(0, reader.count(), [&](const bank::RecordRun& run) {
      // The lengths of a whole run first, so the buffers grow seldom.
      texts.clear();
      std::size_t questionNeed = 0, answerNeed = 0;
      for (std::int32_t i = 0; i < run.count; ++i) {
        const char* record = run.bytes + std::size_t(i) * fields.recordSize;
        texts.push_back(reading::questionIn(record, fields));
        texts.push_back(bank::readTextSlot({record + fields.answerOffset, fields.answerWidth}));
        questionNeed += texts[texts.size() - 2].size() + 1;
        answerNeed += texts.back().size();
      }
      const std::size_t left = count - std::size_t(run.first) - std::size_t(run.count);
      makeRoom(questionBytes_, questionNeed, questionNeed / std::size_t(run.count) * left);
      makeRoom(answerBytes_, answerNeed, answerNeed / std::size_t(run.count) * left);
      for (std::int32_t i = 0; i < run.count; ++i) {
        serials_.push_back(le::i32(run.bytes + std::size_t(i) * fields.recordSize));
        questionStarts_.push_back(questionBytes_.size());
        questionBytes_.append(texts[2 * std::size_t(i)]);
        questionBytes_.push_back('\0');
        answerStarts_.push_back(answerBytes_.size());
        answerBytes_.append(texts[2 * std::size_t(i) + 1]);
      }
      return true;
    });
    if (code) {
      forget();
      return code;
    }
    questionStarts_.push_back(questionBytes_.size());
    answerStarts_.push_back(answerBytes_.size());
    questions_.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
      questions_.emplace_back(questionBytes_.data() + questionStarts_[i],
                              questionStarts_[i + 1] - questionStarts_[i] - 1);
  } catch (const std::bad_alloc&) {
    forget();
    return kNoRoom;
  }
  stamp_ = reader.stamp();
  ++loads_;
  return bank::kOk;
}

std::span<const std::string_view> BankCache::questions(std::size_t count) const {
  return std::span<const std::string_view>(questions_).first(std::min(count, questions_.size()));
}

std::vector<std::int32_t> BankCache::recordsHolding(std::string_view keyword,
                                                    std::size_t count) const {
  // One pass over all the questions at once; a place found is checked in its own question.
  std::vector<std::int32_t> found;
  KeywordFinder finder(keyword);
  const std::string_view all(questionBytes_.data(), questionStarts_[count]);
  auto next = questionStarts_.begin();
  for (std::size_t at = finder.findBytes(all); at != std::string_view::npos;) {
    next = std::upper_bound(next, questionStarts_.begin() + std::ptrdiff_t(count), at);
    const auto record = static_cast<std::size_t>(next - questionStarts_.begin()) - 1;
    const std::string_view question = questions_[record];
    std::size_t boundary = 0;
    for (std::size_t place = at - questionStarts_[record]; place != std::string_view::npos;
         place = finder.findBytes(question, place + 1)) {
      if (KeywordFinder::startsCharacter(question, place, boundary)) {
        found.push_back(static_cast<std::int32_t>(record));
        break;
      }
    }
    at = finder.findBytes(all, questionStarts_[record + 1]);
  }
  return found;
}

SearchRow BankCache::rowOf(std::int32_t record, double score) const {
  const auto i = static_cast<std::size_t>(record);
  return {record + 1, serials_[i], std::string(questions_[i]),
          answerBytes_.substr(answerStarts_[i], answerStarts_[i + 1] - answerStarts_[i]), score};
}

SearchResult BankCache::search(bank::RecordDatabase& database,
                               const std::filesystem::path& bankPath,
                               const SearchRequest& request) {
  return reading::searchWith(
      database, bankPath, request.keyword,
      [&](bank::RecordReader& reader, const reading::BankFields& fields,
          std::vector<SearchRow>& rows, bool& similar) -> int {
        if (!stamp_.sameAs(reader.stamp())) {
          int code = load(reader, fields);
          if (code == kNoRoom)
            return reading::searchRecords(reader, fields, request, rows, similar);
          if (code) return code;
        }
        const auto count =
            static_cast<std::size_t>(reading::recordsToSearch(reader.count(), request.recordLimit));
        if (count != searched_) {
          searched_ = count;
          index_.reset();
          indexFailed_ = false;
        }
        if (request.similar != SimilarMode::always) {
          for (std::int32_t record : recordsHolding(request.keyword, count))
            rows.push_back(rowOf(record, 1));
          if (!rows.empty() || request.similar == SimilarMode::never) return bank::kOk;
        }
        similar = true;
        auto matches = index_ ? index_->rank(questions(count), request.keyword)
                              : rankSimilar(questions(count), request.keyword);
        for (const SimilarMatch& match : matches)
          rows.push_back(rowOf(static_cast<std::int32_t>(match.index), match.score));
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
