#include "search/bank_search.h"

#include <atomic>
#include <optional>
#include <system_error>
#include <thread>

#include "bank/question_bank.h"
#include "platform/little_endian.h"
#include "search/bank_reading.h"
#include "search/keyword_finder.h"
#include "search/similar_search.h"

namespace search {
namespace reading {

void RowCollector::add(std::int32_t index, const char* record, const BankFields& fields,
                       double score) {
  std::string_view question = questionIn(record, fields);
  std::string_view answer = bank::readTextSlot({record + fields.answerOffset, fields.answerWidth});
  pending_.push_back({index + 1, le::i32(record), bytes_.size(), question.size(),
                      bytes_.size() + question.size(), answer.size(), score});
  bytes_.append(question);
  bytes_.append(answer);
}

void RowCollector::append(RowCollector&& later) {
  const std::size_t shift = bytes_.size();
  bytes_.append(later.bytes_);
  for (Pending row : later.pending_) {
    row.question += shift;
    row.answer += shift;
    pending_.push_back(row);
  }
  later = {};
}

void RowCollector::finish(SearchResult& result) {
  auto texts = std::make_shared<const std::string>(std::move(bytes_));
  const char* at = texts->data();
  for (const Pending& row : pending_)
    result.rows.push_back({row.recordNumber,
                           row.serial,
                           {at + row.question, row.questionSize},
                           {at + row.answer, row.answerSize},
                           row.score});
  result.texts = std::move(texts);
  pending_.clear();
}

SearchResult searchWith(bank::RecordDatabase& database, const std::filesystem::path& bankPath,
                        std::string_view keyword, const ReadBank& read) {
  SearchResult result;
  if (isBlankKeyword(keyword)) {
    result.outcome = SearchOutcome::emptyKeyword;
    return result;
  }
  bool opened =
      database.isOpen(bankPath) ? database.makeCurrent(bankPath) : database.openDatabase(bankPath);
  if (!opened) {
    result.outcome = SearchOutcome::openFailed;
    result.bankError = database.lastError();
    return result;
  }

  // Part of a bank is no answer: a file that is no bank, or a read that broke off, fails whole.
  const bank::Layout& layout = *database.layout();
  bool similar = false;
  bool ok = bank::isQuestionBankLayout(layout);
  if (!ok) result.bankError = bank::kNoSuchField;
  if (ok) {
    const bank::Field& q = layout.fields[std::size_t(layout.fieldIndex(bank::kQuestionField))];
    const bank::Field& a = layout.fields[std::size_t(layout.fieldIndex(bank::kAnswerField))];
    BankFields fields{std::size_t(layout.header.recordSize), std::size_t(q.offset),
                      std::size_t(q.width), std::size_t(a.offset), std::size_t(a.width)};
    ok = database.readRecords(
        [&](bank::RecordReader& reader) { return read(reader, fields, result, similar); });
    if (!ok) result.bankError = database.lastError();
  }
  database.closeDatabase(bankPath);
  if (!ok) {
    result.outcome = SearchOutcome::readFailed;
    result.rows.clear();
    result.texts.reset();
    return result;
  }
  result.outcome = result.rows.empty() ? SearchOutcome::noMatch
                   : similar           ? SearchOutcome::similarFound
                                       : SearchOutcome::found;
  return result;
}

}  // namespace reading

namespace {

using reading::BankFields;

// Below this many records a second thread costs about what it saves.
constexpr std::int32_t kTwoThreadsFrom = 20000;

// The questions holding the keyword, straight from the records; a large bank in two halves at
// once, whose rows then follow each other.
int exactRows(const bank::RecordReader& reader, std::int32_t end, const BankFields& fields,
              std::string_view keyword, reading::RowCollector& rows) {
  KeywordFinder finder(keyword);
  auto scan = [&](std::int32_t first, std::int32_t last, reading::RowCollector& into) {
    return reader.forEachRun(first, last, [&](const bank::RecordRun& run) {
      for (std::int32_t i = 0; i < run.count; ++i) {
        const char* record = run.bytes + std::size_t(i) * fields.recordSize;
        if (finder.occursIn(reading::questionIn(record, fields)))
          into.add(run.first + i, record, fields, 1);
      }
      return true;
    });
  };
  if (end < kTwoThreadsFrom || std::thread::hardware_concurrency() < 2) return scan(0, end, rows);
  const std::int32_t half = end / 2;
  reading::RowCollector later;
  int laterCode = bank::kOk;
  std::optional<std::thread> helper;
  try {
    helper.emplace([&] { laterCode = scan(half, end, later); });
  } catch (const std::system_error&) {
    laterCode = scan(half, end, later);  // no thread to be had: one after the other
  }
  int code = scan(0, half, rows);
  if (helper) helper->join();
  if (code) return code;
  if (laterCode) return laterCode;
  rows.append(std::move(later));
  return bank::kOk;
}

// The questions most similar to the keyword, looked at once each as they lie in the file.
int similarRowsInFile(bank::RecordReader& reader, std::int32_t end, const BankFields& fields,
                      std::string_view keyword, reading::RowCollector& rows) {
  std::atomic<int> failed{bank::kOk};
  auto matches = scanSimilar(
      std::size_t(end), keyword, [&](SimilarScan& scan, std::size_t first, std::size_t last) {
        int code = reader.forEachRun(
            std::int32_t(first), std::int32_t(last), [&](const bank::RecordRun& run) {
              for (std::int32_t i = 0; i < run.count; ++i)
                scan.add(
                    std::size_t(run.first + i),
                    reading::questionIn(run.bytes + std::size_t(i) * fields.recordSize, fields));
              return true;
            });
        if (code) failed = code;
      });
  if (failed != bank::kOk) return failed;
  for (const SimilarMatch& match : matches) {
    auto index = static_cast<std::int32_t>(match.index);
    std::string_view record = reader.record(index);
    if (record.empty()) return reader.lastError();
    rows.add(index, record.data(), fields, match.score);
  }
  return bank::kOk;
}

}  // namespace

bool occursIn(std::string_view question, std::string_view keyword) {
  return KeywordFinder(keyword).occursIn(question);
}

bool isBlankKeyword(std::string_view keyword) {
  return keyword.find_first_not_of(' ') == std::string_view::npos;
}

SearchResult searchBank(bank::RecordDatabase& database, const std::filesystem::path& bankPath,
                        std::string_view keyword, std::int32_t recordLimit) {
  return searchBank(database, bankPath, SearchRequest{keyword, recordLimit, SimilarMode::never});
}

int reading::searchRecords(bank::RecordReader& reader, const BankFields& fields,
                           const SearchRequest& request, SearchResult& result, bool& similar) {
  const std::int32_t end = recordsToSearch(reader.count(), request.recordLimit);
  RowCollector rows;
  if (request.similar != SimilarMode::always) {
    if (int code = exactRows(reader, end, fields, request.keyword, rows)) return code;
    if (!rows.empty() || request.similar == SimilarMode::never) {
      rows.finish(result);
      return bank::kOk;
    }
  }
  similar = true;
  int code = similarRowsInFile(reader, end, fields, request.keyword, rows);
  rows.finish(result);
  return code;
}

SearchResult searchBank(bank::RecordDatabase& database, const std::filesystem::path& bankPath,
                        const SearchRequest& request) {
  return reading::searchWith(database, bankPath, request.keyword,
                             [&](bank::RecordReader& reader, const BankFields& fields,
                                 SearchResult& result, bool& similar) {
                               return reading::searchRecords(reader, fields, request, result,
                                                             similar);
                             });
}

}  // namespace search
