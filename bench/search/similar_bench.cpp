// Accuracy and speed of the similar-question ranking, against the exact search in the same run.
//
// The bank holds every question/answer pair of the fixtures as it stands (line breaks kept),
// plus the 100,000-question bank of the exact search benchmark (the same pairs over again, line
// breaks as spaces). Keywords are made from the pairs' questions with each kind of noise alone
// and combined (noisy_keywords.h, fixed seed). A keyword counts as found when the first result
// is the intended question or one that differs from it only in white space, punctuation, width,
// case or question number (the bank holds every text many times over; see sameQuestionKey); a
// keyword that the exact search finds is left to the exact search, as the fallback never runs
// for it.
//
//   similar_bench QUORVIX_CLI [KEYWORDS_PER_KIND]     QUORVIX_CLI "-": accuracy only
//   similar_bench --probe exact|similar BANKFILE KEYWORD_UTF8   one search in a fresh process
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <numeric>
#include <string>
#include <unordered_map>
#include <vector>

#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "noisy_keywords.h"
#include "platform/cp936.h"
#include "platform/gbk_text.h"
#include "question_pairs.h"
#include "search/bank_search.h"
#include "search/similar_index.h"
#include "search/similar_search.h"
#include "search/text_normalizer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kSeed = 20240917;
constexpr int kBigBankRecords = 100000;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The fixture's questions with their line breaks, as GBK.
std::vector<std::string> loadQuestionsWithLines(const std::string& jsonl) {
  std::string command =
      "python3 -c 'import json,sys\n"
      "for l in open(sys.argv[1], encoding=\"utf-8\"):\n"
      "  sys.stdout.buffer.write(json.loads(l)[\"question\"].encode(\"utf-8\") + b\"\\0\")' " +
      quoted(jsonl);
  std::vector<std::string> questions;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return questions;
  std::string all;
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) all.append(buf, n);
  pclose(pipe);
  for (std::size_t start = 0, end; (end = all.find('\0', start)) != std::string::npos;
       start = end + 1)
    questions.push_back(cp936::fromUtf8(all.substr(start, end - start)));
  return questions;
}

std::string asStored(const std::string& text) {
  return text.substr(0, bank::textSlotLength(text, bank::kBankTextWidth));
}

// Texts with the same key differ only in what the ranking is meant not to see (white space,
// punctuation, width, letter case, the question number), so it cannot tell them apart: the
// fixtures hold such twins, the same question in two papers, numbered or punctuated apart.
std::u16string sameQuestionKey(const std::string& text) {
  std::u16string key;
  for (search::NormalUnit unit : search::normalizeText(text)) key += search::unitChar(unit);
  return key;
}

struct TestBank {
  std::vector<std::string> questions, answers;  // GBK, as the bank holds them
  std::vector<std::string_view> views;
  std::vector<int> identity;          // equal for texts with the same sameQuestionKey
  std::vector<std::string> distinct;  // each stored text once, for exact searches
  std::vector<int> distinctIdentity;
  std::vector<std::u16string> keys;  // the sameQuestionKey of each identity
  std::size_t firstPair = 0;         // where the pairs as they stand begin

  void add(const std::string& question, const std::string& answer) {
    questions.push_back(asStored(question));
    answers.push_back(asStored(answer));
  }
  void finish() {
    std::unordered_map<std::u16string, int> identities;
    std::unordered_map<std::string, bool> seen;
    for (const std::string& question : questions) {
      auto [it, added] = identities.try_emplace(sameQuestionKey(question), int(identities.size()));
      if (added) keys.push_back(it->first);
      identity.push_back(it->second);
      if (seen.try_emplace(question, true).second) {
        distinct.push_back(question);
        distinctIdentity.push_back(it->second);
      }
    }
    views.assign(questions.begin(), questions.end());
  }
  std::size_t questionCount() const {
    return *std::max_element(identity.begin(), identity.end()) + 1;
  }
  bool exactFinds(const std::string& keyword) const {
    for (const std::string& text : distinct)
      if (search::occursIn(text, keyword)) return true;
    return false;
  }
  // Does the piece, eight characters or more, stand in one question only (white space,
  // punctuation and the like aside)?
  bool unique(const std::string& piece) const {
    std::u16string key = sameQuestionKey(piece);
    if (key.size() < 8) return false;
    int found = 0;
    for (const std::u16string& text : keys) found += text.find(key) != std::u16string::npos;
    return found == 1;
  }
};

bool isUniqueIn(const std::string& piece, const void* bank) {
  return static_cast<const TestBank*>(bank)->unique(piece);
}

struct Tally {
  int keywords = 0, exact = 0, fallback = 0, top1 = 0, top5 = 0, none = 0;
  std::vector<double> rightScores;
};

void printTally(const char* name, const char* rate, const Tally& t) {
  auto pct = [](int n, int of) { return of ? 100.0 * n / of : 0.0; };
  std::printf("%-14s %6d %6d %8d  %6.1f%% %6.1f%% %6.1f%%   %s\n", name, t.keywords, t.exact,
              t.fallback, pct(t.top1, t.fallback), pct(t.top5, t.fallback), pct(t.none, t.fallback),
              rate);
}

// Accuracy of one bank over keywords made from its pairs' questions.
void accuracy(const TestBank& bank, const search::SimilarIndex& index, int perKind,
              std::vector<std::pair<std::string, std::size_t>>* speedKeywords) {
  const bool verbose = std::getenv("QUORVIX_BENCH_VERBOSE") != nullptr;
  std::vector<std::string> pairQuestions(bank.questions.begin() + bank.firstPair,
                                         bank.questions.end());
  benchsimilar::KeywordMaker maker(kSeed, pairQuestions, isUniqueIn, &bank);
  std::vector<std::size_t> order(pairQuestions.size());
  std::iota(order.begin(), order.end(), 0);
  std::mt19937 shuffle(kSeed);
  for (std::size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[shuffle() % i]);

  std::printf("%-14s %6s %6s %8s  %7s %7s %7s   %s\n", "noise", "kws", "exact", "fallback", "top-1",
              "top-5", "none", "what the noise does");
  Tally total;
  std::vector<int> tooClose;
  for (const auto& kind : benchsimilar::noiseKinds()) {
    Tally t;
    for (std::size_t n = 0; n < order.size() && t.keywords < perKind; ++n) {
      std::size_t intended = bank.firstPair + order[n];
      std::string keyword = maker.make(kind.noise, order[n]);
      if (keyword.empty()) continue;
      ++t.keywords;
      if (bank.exactFinds(keyword)) {
        ++t.exact;
        continue;
      }
      ++t.fallback;
      auto results = index.rank(bank.views, keyword);
      if (results.empty()) {
        if (verbose)
          std::printf("NONE %s\n  keyword  %s\n  intended %s\n", kind.name,
                      cp936::toUtf8(keyword).c_str(),
                      cp936::toUtf8(bank.questions[intended]).c_str());
        ++t.none;
        continue;
      }
      int want = bank.identity[intended];
      if (verbose && bank.identity[results[0].index] != want)
        std::printf("MISS %s\n  keyword  %s\n  intended %s\n  first    %.3f %s\n", kind.name,
                    cp936::toUtf8(keyword).c_str(), cp936::toUtf8(bank.questions[intended]).c_str(),
                    results[0].score, cp936::toUtf8(bank.questions[results[0].index]).c_str());
      if (bank.identity[results[0].index] == want) {
        ++t.top1;
        t.rightScores.push_back(results[0].score);
        if (speedKeywords && kind.noise == benchsimilar::Noise::combined &&
            speedKeywords->size() < 9)
          speedKeywords->emplace_back(keyword, intended);
      }
      for (std::size_t r = 0; r < results.size() && r < 5; ++r)
        if (bank.identity[results[r].index] == want) {
          ++t.top5;
          break;
        }
    }
    printTally(kind.name, kind.rate, t);
    total.keywords += t.keywords, total.exact += t.exact, total.fallback += t.fallback;
    total.top1 += t.top1, total.top5 += t.top5, total.none += t.none;
    total.rightScores.insert(total.rightScores.end(), t.rightScores.begin(), t.rightScores.end());
  }
  printTally("all", "", total);
  std::sort(total.rightScores.begin(), total.rightScores.end());
  if (!total.rightScores.empty())
    std::printf(
        "score of the right first result: lowest %.3f, 1st percentile %.3f, 5th %.3f, "
        "median %.3f\n",
        total.rightScores[0], total.rightScores[total.rightScores.size() / 100],
        total.rightScores[total.rightScores.size() / 20],
        total.rightScores[total.rightScores.size() / 2]);

  // Keywords no question holds: 10-40 characters of a question in random order.
  int shown = 0, tried = 0;
  std::vector<double> best;
  for (std::size_t n = 0; n < order.size() && tried < perKind; ++n) {
    std::u16string text = cp936::toUtf16(pairQuestions[order[n]]);
    std::u16string piece;
    for (char16_t c : text)
      if (c > 0x20 && c != 0x3000) piece += c;
    if (piece.size() < 10) continue;
    piece = piece.substr(shuffle() % (piece.size() - 9), 10 + shuffle() % 31);
    for (std::size_t i = piece.size(); i > 1; --i) std::swap(piece[i - 1], piece[shuffle() % i]);
    std::string keyword = cp936::fromUtf16(piece);
    if (bank.exactFinds(keyword)) continue;
    ++tried;
    auto results = index.rank(bank.views, keyword, {.maxResults = 1, .threshold = 0});
    double top = results.empty() ? 0 : results[0].score;
    best.push_back(top);
    shown += top > search::kSimilarThreshold;
  }
  std::sort(best.begin(), best.end());
  if (best.empty()) return;
  std::printf(
      "shuffled characters (no question meant): %d keywords, %.1f%% get a result; "
      "best score median %.3f, 95th percentile %.3f, 99th %.3f\n",
      tried, 100.0 * shown / tried, best[best.size() / 2], best[best.size() * 95 / 100],
      best[best.size() * 99 / 100]);
  // What other thresholds would give: noisy keywords still found first, shuffled ones shown.
  std::printf("threshold  top-1 of fallback  shuffled shown\n");
  for (double threshold : {0.5, 0.55, 0.6, 0.65, 0.7}) {
    auto above = [&](const std::vector<double>& scores) {
      return scores.end() - std::upper_bound(scores.begin(), scores.end(), threshold);
    };
    std::printf("%9.2f  %16.1f%%  %13.1f%%\n", threshold,
                100.0 * above(total.rightScores) / total.fallback,
                100.0 * above(best) / best.size());
  }
}

// Wall and processor time of one piece of work. The machine may be shared: processor time is
// what the work itself took, wall time what a user waited.
struct Timing {
  double wall = 0, cpu = 0;
};

double processCpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec * 1e-9;
}

double childrenCpuSeconds() {
  rusage usage;
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

template <typename Work>
Timing timed(Work work) {
  auto start = Clock::now();
  double cpu = processCpuSeconds();
  work();
  return {secondsSince(start), processCpuSeconds() - cpu};
}

Timing median(const std::vector<Timing>& timings) {
  std::vector<double> wall, cpu;
  for (const Timing& t : timings) wall.push_back(t.wall), cpu.push_back(t.cpu);
  return {median(wall), median(cpu)};
}

// Wall time and the processor time of a shell command's processes, each run after one that
// warms the cache.
std::vector<Timing> commandTimings(const std::string& command, int runs) {
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  std::vector<Timing> timings;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    double cpu = childrenCpuSeconds();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    timings.push_back({secondsSince(start), childrenCpuSeconds() - cpu});
  }
  return timings;
}

void printTimings(const char* what, const std::vector<std::pair<const char*, Timing>>& timings) {
  std::printf("%-30s", what);
  for (const auto& [name, t] : timings)
    std::printf("  %s %6.1f ms (%6.1f ms cpu)", name, t.wall * 1e3, t.cpu * 1e3);
  std::printf("\n");
}

// The search of the command line and of a first search in the form: the bank file read
// through mappings, the similar questions ranked on two threads.
std::size_t similarFromFile(bank::RecordDatabase& db, const std::filesystem::path& file,
                            const std::string& keyword) {
  return search::searchBank(db, file, {keyword, -1, search::SimilarMode::always}).rows.size();
}

int probe(const std::string& mode, const std::filesystem::path& file, const std::string& utf8) {
  bank::RecordDatabase db;
  std::string keyword = cp936::fromUtf8(utf8);
  std::size_t found = mode == "exact" ? search::searchBank(db, file, keyword).rows.size()
                                      : similarFromFile(db, file, keyword);
  std::printf("%zu\n", found);
  return 0;
}

void speed(const TestBank& bank, const search::SimilarIndex& index, Timing build,
           const std::string& self, const std::string& cli,
           const std::vector<std::pair<std::string, std::size_t>>& keywords) {
  auto dir = std::filesystem::temp_directory_path() /
             ("quorvix-similar-bench-" + std::to_string(::getpid()));
  auto folder = dir / std::filesystem::path(u8"题库");
  std::filesystem::create_directories(folder);
  auto bankFile = folder / "bench.edb";
  bank::RecordDatabase db;
  if (!db.createDatabase(bankFile, bank::bankSchema()) || !db.openDatabase(bankFile)) return;
  for (std::size_t i = 0; i < bank.questions.size(); ++i)
    if (!db.addRecord({bank.questions[i], bank.answers[i]})) return;
  db.closeDatabase();
  std::printf(
      "\nbank file: %zu records, %.1f MB; %zu keywords of the combined kind, each "
      "found by the ranking and not by the exact search\n",
      bank.questions.size(), std::filesystem::file_size(bankFile) / 1e6, keywords.size());

  // Cold: a fresh process reads the bank file and searches it once.
  std::vector<Timing> cliSearch, probeExact, probeSimilar;
  for (const auto& [keyword, intended] : keywords) {
    std::string utf8 = quoted(cp936::toUtf8(keyword));
    auto probe = [&](const char* mode) {
      return quoted(self) + " --probe " + mode + " " + quoted(bankFile.string()) + " " + utf8 +
             " >/dev/null";
    };
    for (const Timing& t : commandTimings(quoted(cli) + " --dir " + quoted(dir.string()) +
                                              " search bench.edb " + utf8 + " >/dev/null",
                                          5))
      cliSearch.push_back(t);
    for (const Timing& t : commandTimings(probe("exact"), 5)) probeExact.push_back(t);
    for (const Timing& t : commandTimings(probe("similar"), 5)) probeSimilar.push_back(t);
  }
  // The same in this process, from the file each time.
  std::vector<Timing> fileExact, fileSimilar;
  for (int round = 0; round < 3; ++round)
    for (const auto& [keyword, intended] : keywords) {
      fileExact.push_back(timed([&] { search::searchBank(db, bankFile, keyword); }));
      fileSimilar.push_back(timed([&] { similarFromFile(db, bankFile, keyword); }));
    }
  // Warm: texts in memory, the index built once.
  std::vector<Timing> memoryExact, memoryScan, memoryIndex;
  for (int round = 0; round < 5; ++round)
    for (const auto& [keyword, intended] : keywords) {
      memoryExact.push_back(timed([&] {
        std::size_t matches = 0;
        for (std::string_view text : bank.views) matches += search::occursIn(text, keyword);
        return matches;
      }));
      memoryScan.push_back(timed([&] { search::rankSimilar(bank.views, keyword); }));
      memoryIndex.push_back(timed([&] { index.rank(bank.views, keyword); }));
    }
  std::size_t textBytes = 0;
  for (const std::string& text : bank.questions) textBytes += text.size();

  Timing pe = median(probeExact), ps = median(probeSimilar);
  Timing fe = median(fileExact), fs = median(fileSimilar);
  std::printf("medians:\n");
  printTimings("cold process, from file",
               {{"quorvix-cli search (finds none, then similar)", median(cliSearch)},
                {"exact", pe},
                {"similar", ps}});
  std::printf("%-30s  similar / exact %.2f wall, %.2f cpu (goal <= 3)\n", "", ps.wall / pe.wall,
              ps.cpu / pe.cpu);
  printTimings("in process, from file", {{"exact", fe}, {"similar", fs}});
  std::printf("%-30s  similar / exact %.2f wall, %.2f cpu\n", "", fs.wall / fe.wall,
              fs.cpu / fe.cpu);
  printTimings("warm, texts in memory", {{"exact", median(memoryExact)},
                                         {"similar one pass", median(memoryScan)},
                                         {"similar, index", median(memoryIndex)}});
  std::printf("%-30s  goal for the warm similar search: < 50 ms\n", "");
  std::printf("index: built in %.0f ms (%.0f ms cpu), %.1f MB beside %.1f MB of question texts\n",
              build.wall * 1e3, build.cpu * 1e3, index.memoryBytes() / 1e6, textBytes / 1e6);
  std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && !std::strcmp(argv[1], "--probe")) return probe(argv[2], argv[3], argv[4]);
  if (argc < 2) {
    std::fprintf(stderr, "usage: similar_bench QUORVIX_CLI [KEYWORDS_PER_KIND]\n");
    return 2;
  }
  const std::string cli = argv[1];
  const int perKind = argc > 2 ? std::atoi(argv[2]) : 1000;
  const std::string jsonl = std::string(QUORVIX_FIXTURES) + "/questions/gaokao_pairs.jsonl";
  auto pairs = benchdata::loadPairs(jsonl);
  auto withLines = loadQuestionsWithLines(jsonl);
  if (pairs.empty() || withLines.size() != pairs.size()) return 1;

  // The pairs alone first: there the top five are five different questions.
  TestBank small;
  for (std::size_t i = 0; i < pairs.size(); ++i) small.add(withLines[i], pairs[i].second);
  small.finish();
  std::printf(
      "bank of the %zu fixture pairs (%zu different texts, %zu different questions), "
      "%d keywords a kind, seed %u\n",
      small.questions.size(), small.distinct.size(), small.questionCount(), perKind, kSeed);
  accuracy(small, search::SimilarIndex(small.views), perKind, nullptr);

  TestBank big;
  for (int i = 0; i < kBigBankRecords; ++i) {
    const auto& [q, a] = pairs[static_cast<std::size_t>(i) % pairs.size()];
    big.add(q, a);
  }
  big.firstPair = big.questions.size();
  for (std::size_t i = 0; i < pairs.size(); ++i) big.add(withLines[i], pairs[i].second);
  big.finish();
  search::SimilarIndex index;
  Timing build = timed([&] { index = search::SimilarIndex(big.views); });
  std::printf(
      "\nbank of those pairs plus the %d-question bank (%zu records, %zu different "
      "texts, %zu different questions)\n",
      kBigBankRecords, big.questions.size(), big.distinct.size(), big.questionCount());
  std::vector<std::pair<std::string, std::size_t>> speedKeywords;
  accuracy(big, index, perKind, &speedKeywords);

  if (cli != "-")  // "-" leaves the speed part out
    speed(big, index, build, std::filesystem::read_symlink("/proc/self/exe").string(), cli,
          speedKeywords);
  return 0;
}
