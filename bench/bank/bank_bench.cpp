// Appends and scans a 100,000-record bank and compares both with a raw sequential write and
// read of the same file in the same run (dd-style, 160 KiB blocks).
//   bank_bench [RECORDS]
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "question_pairs.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of a few runs, so one noisy moment on a shared machine does not decide.
template <typename F>
double bestOf(int runs, F&& run) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) best = std::min(best, run());
  return best;
}

double rawRead(const std::filesystem::path& path) {
  auto start = Clock::now();
  int fd = ::open(path.c_str(), O_RDONLY);
  std::vector<char> block(160 * 1024);
  while (::read(fd, block.data(), block.size()) > 0) {
  }
  ::close(fd);
  return secondsSince(start);
}

double rawWrite(const std::filesystem::path& from, const std::filesystem::path& to) {
  int in = ::open(from.c_str(), O_RDONLY);
  std::vector<char> all(static_cast<std::size_t>(std::filesystem::file_size(from)));
  if (::read(in, all.data(), all.size()) != static_cast<ssize_t>(all.size())) std::abort();
  ::close(in);
  auto start = Clock::now();
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  for (std::size_t done = 0; done < all.size();) {
    std::size_t n = std::min<std::size_t>(160 * 1024, all.size() - done);
    if (::write(out, all.data() + done, n) != static_cast<ssize_t>(n)) std::abort();
    done += n;
  }
  ::close(out);
  return secondsSince(start);
}

void report(const char* what, int records, double ours, double reference) {
  std::printf("%-34s %9.1f ms %12.0f records/s   raw %8.1f ms   ratio %.2f\n", what, ours * 1e3,
              records / ours, reference * 1e3, ours / reference);
}

}  // namespace

int main(int argc, char** argv) {
  const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
  auto pairs =
      benchdata::loadPairs(std::string(QUORVIX_FIXTURES) + "/questions/gaokao_pairs.jsonl");
  if (pairs.empty()) {
    std::fprintf(stderr, "bank_bench: no question pairs (python3 missing?)\n");
    return 1;
  }
  auto dir =
      std::filesystem::temp_directory_path() / ("quorvix-bank-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  auto path = dir / "bench.edb";

  bank::RecordDatabase db;
  if (!db.createDatabase(path, bank::bankSchema()) || !db.openDatabase(path)) return 1;
  auto start = Clock::now();
  for (int i = 0; i < records; ++i) {
    const auto& [q, a] = pairs[static_cast<std::size_t>(i) % pairs.size()];
    if (!db.addRecord({q, a})) return 1;
  }
  double append = secondsSince(start);
  double write = bestOf(3, [&] { return rawWrite(path, dir / "raw.copy"); });
  report("append (addRecord, one at a time)", records, append, write);

  rawRead(path);  // warm the file cache for every reader alike
  std::size_t bytes = 0;
  double scan = bestOf(5, [&] {
    auto t = Clock::now();
    db.scanRecords({bank::kQuestionField, bank::kAnswerField}, [&](const bank::ScanRow& row) {
      bytes += (*row.texts)[0].size() + (*row.texts)[1].size();
      return true;
    });
    return secondsSince(t);
  });
  double read = bestOf(5, [&] { return rawRead(path); });
  report("scan (sequential read, 2 fields)", records, scan, read);

  double fieldByField = bestOf(1, [&] {
    auto t = Clock::now();
    db.goFirst();
    for (int i = 0; i < records; ++i) {
      bytes += db.readField(bank::kQuestionField).size();
      db.skip();
    }
    return secondsSince(t);
  });
  report("scan (readField + skip per record)", records, fieldByField, read);
  std::printf("bank file: %.1f MB, %d records, %zu text bytes seen\n",
              std::filesystem::file_size(path) / 1e6, records, bytes);
  db.closeDatabase();
  std::filesystem::remove_all(dir);
  return 0;
}
