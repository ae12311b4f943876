// Searches a 100,000-question bank from a cold quorvix-cli process and, in the same run, the
// same keyword with the sqlite3 tool (LIKE over a table of the same rows), with grep -c -F
// over the questions as one GBK text file, and a raw read of the bank file with dd (the
// physical limit). Warm file cache, median of several runs of each: wall time, and the
// processor time of the command's processes, which a busy machine disturbs less.
//   search_bench QUORVIX_CLI [KEYWORD_UTF8 [RECORDS]]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "platform/cp936.h"
#include "question_pairs.h"
#include "search/bank_search.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Timing {
  double wall = 0, cpu = 0;  // seconds
};

double childrenCpuSeconds() {
  rusage usage;
  getrusage(RUSAGE_CHILDREN, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// Median wall and processor time of a shell command, after one run that warms the cache.
Timing medianTiming(const std::string& command, int runs = 9) {
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  std::vector<double> walls, cpus;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    double cpu = childrenCpuSeconds();
    int rc = std::system(command.c_str());
    walls.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    cpus.push_back(childrenCpuSeconds() - cpu);
    if (rc != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  }
  std::sort(walls.begin(), walls.end());
  std::sort(cpus.begin(), cpus.end());
  return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

std::string firstLine(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buf[256];
    if (std::fgets(buf, sizeof buf, pipe)) out = buf;
    pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: search_bench QUORVIX_CLI [KEYWORD_UTF8 [RECORDS]]\n");
    return 2;
  }
  const std::string cli = argv[1];
  const std::string keyword = argc > 2 ? argv[2] : "函数";
  const int records = argc > 3 ? std::atoi(argv[3]) : 100000;
  auto pairs =
      benchdata::loadPairs(std::string(QUORVIX_FIXTURES) + "/questions/gaokao_pairs.jsonl");
  if (pairs.empty()) return 1;

  auto dir = std::filesystem::temp_directory_path() /
             ("quorvix-search-bench-" + std::to_string(::getpid()));
  auto folder = dir / std::filesystem::path(u8"题库");
  std::filesystem::create_directories(folder);
  auto bankFile = folder / "bench.edb";
  auto textFile = dir / "questions.txt";
  auto tsvFile = dir / "rows.tsv";
  auto sqliteFile = dir / "bench.sqlite";

  bank::RecordDatabase db;
  if (!db.createDatabase(bankFile, bank::bankSchema()) || !db.openDatabase(bankFile)) return 1;
  {
    std::ofstream text(textFile, std::ios::binary), tsv(tsvFile, std::ios::binary);
    for (int i = 0; i < records; ++i) {
      const auto& [q, a] = pairs[static_cast<std::size_t>(i) % pairs.size()];
      if (!db.addRecord({q, a})) return 1;
      // Every tool gets exactly what the bank holds: the texts as cut to their slots.
      std::string storedQ = q.substr(0, bank::textSlotLength(q, bank::kBankTextWidth));
      std::string storedA = a.substr(0, bank::textSlotLength(a, bank::kBankTextWidth));
      text << storedQ << '\n';
      tsv << cp936::toUtf8(storedQ) << '\t' << cp936::toUtf8(storedA) << '\n';
    }
  }
  db.closeDatabase();
  std::string load =
      "python3 -c 'import sqlite3,sys\n"
      "c=sqlite3.connect(sys.argv[1]); c.execute(\"create table q(question text, answer text)\")\n"
      "c.executemany(\"insert into q values(?,?)\", (l.rstrip(\"\\n\").split(\"\\t\",1) for l in "
      "open(sys.argv[2], encoding=\"utf-8\")))\n"
      "c.commit()' " +
      quoted(sqliteFile.string()) + " " + quoted(tsvFile.string());
  if (std::system(load.c_str()) != 0) return 1;

  const std::string gbkKeyword = cp936::fromUtf8(keyword);
  const std::string ours = quoted(cli) + " --dir " + quoted(dir.string()) + " search bench.edb " +
                           quoted(keyword) + " >/dev/null";
  const std::string sqlite = "sqlite3 " + quoted(sqliteFile.string()) +
                             " \"SELECT rowid, question, answer FROM q WHERE question LIKE '%" +
                             keyword + "%'\" >/dev/null";
  const std::string grep =
      "grep -c -F " + quoted(gbkKeyword) + " " + quoted(textFile.string()) + " >/dev/null";
  const std::string dd = "dd if=" + quoted(bankFile.string()) + " of=/dev/null bs=160k 2>/dev/null";

  // The three searches must agree before their times mean anything.
  auto inProcess = search::searchBank(db, bankFile, gbkKeyword);
  std::string grepCount =
      firstLine("grep -c -F " + quoted(gbkKeyword) + " " + quoted(textFile.string()));
  std::string sqliteCount =
      firstLine("sqlite3 " + quoted(sqliteFile.string()) +
                " \"SELECT count(*) FROM q WHERE question LIKE '%" + keyword + "%'\"");
  std::printf("keyword %s: %zu matches (grep %s lines, sqlite %s rows), bank %.1f MB\n",
              keyword.c_str(), inProcess.rows.size(), grepCount.c_str(), sqliteCount.c_str(),
              std::filesystem::file_size(bankFile) / 1e6);

  Timing tOurs = medianTiming(ours), tSqlite = medianTiming(sqlite), tGrep = medianTiming(grep),
         tDd = medianTiming(dd);
  auto start = Clock::now();
  for (int i = 0; i < 5; ++i) search::searchBank(db, bankFile, gbkKeyword);
  double tInside = std::chrono::duration<double>(Clock::now() - start).count() / 5;

  auto line = [](const char* what, Timing t) {
    std::printf("%-22s %7.1f ms  (%6.1f ms cpu)\n", what, t.wall * 1e3, t.cpu * 1e3);
  };
  line("quorvix-cli search", tOurs);
  std::printf("  in-process search    %7.1f ms\n", tInside * 1e3);
  line("sqlite3 LIKE", tSqlite);
  line("grep -c -F", tGrep);
  line("dd bs=160k (raw)", tDd);
  std::printf(
      "wall: ours / dd %.2f (goal <= 1), sqlite / ours %.2f (goal >= 5), ours / grep %.2f "
      "(goal <= 1.5)\n",
      tOurs.wall / tDd.wall, tSqlite.wall / tOurs.wall, tOurs.wall / tGrep.wall);
  std::printf("cpu:  ours / dd %.2f, sqlite / ours %.2f, ours / grep %.2f\n", tOurs.cpu / tDd.cpu,
              tSqlite.cpu / tOurs.cpu, tOurs.cpu / tGrep.cpu);
  std::filesystem::remove_all(dir);
  return 0;
}
