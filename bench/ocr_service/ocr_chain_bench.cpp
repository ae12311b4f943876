// Screenshot to answer: questions of the fixtures drawn as a quiz page shows them, cut out as a
// user's selection would be, recognised by quorvix-ocr-service through the program's own OCR
// client, and looked up in a bank holding every pair with the exact search and, when it finds
// nothing, the similar-question ranking. Reports the recognition's character accuracy and the
// lookup's top-1 per font size and colour scheme, and the time per selection against the
// tesseract command on the same pictures. Top-1 counts as right a question whose selection
// shows exactly the same text as the intended one's (the fixtures hold such questions, which
// no reader can tell apart); "strict" wants the intended question itself.
//
//   ocr_chain_bench SERVICE [--questions N] [--sizes 14,16,18,20] [--jobs J] [--timing M]
//                           [--font FILE] [--save DIR] [--model M] [--dump FILE]
//
// --model picks the service's models for Chinese text (chi_sim, chi_sim+eng, HanS ...); --dump
// writes each selection's truth and what was read, a pair of lines each, to study the engine's
// confusions. --reads FILE scores what another reader made of the selections --save wrote
// (exe_recognition_bench's "NAME<TAB>TEXT" lines) instead of asking the service.
//
// A selection spans the question's first line (its number) down to the line of its first
// option, at most five lines, with a margin of two pixels around the lines' slots.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "bank/record_format.h"
#include "capture/ocr_client.h"
#include "net/inet_request.h"
#include "platform/cp936.h"
#include "screen_text.h"
#include "search/bank_search.h"
#include "search/similar_index.h"
#include "search/text_normalizer.h"
#include "service_process.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kTextWidth = 640;  // a quiz page's column
constexpr int kMaxSelectionLines = 5;

struct Pair {
  std::string question, answer;  // UTF-8
};

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::vector<Pair> loadPairs(const std::string& jsonl) {
  const std::string command =
      "python3 -c 'import json,sys\n"
      "for l in open(sys.argv[1], encoding=\"utf-8\"):\n"
      "  r=json.loads(l)\n"
      "  sys.stdout.buffer.write(r[\"question\"].encode() + b\"\\0\" + r[\"answer\"].encode() + "
      "b\"\\0\")' " +
      quoted(jsonl);
  std::vector<Pair> pairs;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return pairs;
  std::string all;
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) all.append(buf, n);
  pclose(pipe);
  std::vector<std::string> texts;
  for (std::size_t start = 0, end; (end = all.find('\0', start)) != std::string::npos;
       start = end + 1)
    texts.push_back(all.substr(start, end - start));
  for (std::size_t i = 0; i + 1 < texts.size(); i += 2) pairs.push_back({texts[i], texts[i + 1]});
  return pairs;
}

std::string asStored(const std::string& gbk) {
  return gbk.substr(0, bank::textSlotLength(gbk, bank::kBankTextWidth));
}

// Texts with the same key differ only in what the lookup is meant not to see (white space,
// punctuation, width, case, the question number): the fixtures hold such twins.
std::u16string sameQuestionKey(const std::string& gbk) {
  std::u16string key;
  for (search::NormalUnit unit : search::normalizeText(gbk)) key += search::unitChar(unit);
  return key;
}

// What character accuracy compares: no white space, full-width forms as their ASCII letters.
std::u16string comparable(std::u16string_view text) {
  std::u16string out;
  for (char16_t c : text) {
    if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0x3000) continue;
    if (c >= 0xFF01 && c <= 0xFF5E) c = char16_t(c - 0xFF01 + 0x21);
    out += c;
  }
  return out;
}

std::size_t editDistance(const std::u16string& a, const std::u16string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

double characterAccuracy(const std::u16string& truth, const std::u16string& seen) {
  const std::u16string t = comparable(truth), s = comparable(seen);
  if (t.empty()) return s.empty() ? 1 : 0;
  return std::max(0.0, 1.0 - double(editDistance(t, s)) / double(t.size()));
}

std::u16string utf16Of(const std::u32string& text) {
  std::u16string out;
  for (char32_t c : text)
    if (c < 0x10000) out += char16_t(c);
  return out;
}

bool startsOption(const std::u32string& line) {
  for (std::size_t i = 0; i + 1 < line.size(); ++i)
    if ((line[i] == U'A' || line[i] == 0xFF21) &&
        (line[i + 1] == U'.' || line[i + 1] == 0xFF0E || line[i + 1] == 0x3001 ||
         line[i + 1] == U':' || line[i + 1] == 0xFF1A))
      return true;
  return false;
}

struct Selection {
  std::size_t pair = 0;  // which question
  int size = 0;
  bool dark = false;
  std::string bmp;
  std::u16string truth;  // the characters inside it
};

// The lines a user drags over: from the number down to the first option, at most five.
Selection cutSelection(const screentext::Page& page, std::size_t pair, int size, bool dark) {
  Selection selection{pair, size, dark, {}, {}};
  std::size_t last = 0;
  while (last + 1 < page.lines.size() && last + 1 < kMaxSelectionLines &&
         !startsOption(page.lines[last].text))
    ++last;
  screentext::Rect area{page.lines[0].slot.left - 6, page.lines[0].slot.top - 2, 0,
                        page.lines[last].slot.bottom + 2};
  for (std::size_t i = 0; i <= last; ++i) {
    area.right = std::max(area.right, page.lines[i].slot.right + 6);
    selection.truth += utf16Of(page.lines[i].text);
  }
  selection.bmp = screentext::bmpOf(page, area);
  return selection;
}

struct Outcome {
  double accuracy = 0, seconds = 0;
  bool recognised = false, exact = false, fallback = false;
  bool right = false;  // the lookup showed this question first
  bool alike = false;  // or another whose selection shows the very same text
};

struct Bank {
  fs::path path;
  std::vector<std::string> stored;  // GBK questions as the bank holds them
  std::vector<std::string_view> views;
  std::vector<std::u16string> keys;
  search::SimilarIndex index;
};

// The questions whose selection would show the same characters as `truth`: those whose text
// begins with all of it. No reader can tell them apart from the picture alone.
std::vector<std::size_t> alikeQuestions(const Bank& bank, const std::u16string& truth) {
  const std::u16string key = sameQuestionKey(cp936::fromUtf16(truth));
  std::vector<std::size_t> alike;
  for (std::size_t i = 0; i < bank.keys.size() && !key.empty(); ++i)
    if (bank.keys[i].starts_with(key)) alike.push_back(i);
  return alike;
}

// Whether the lookup shows the intended question first for `keyword`; `shown` is the key of
// what it shows first (empty for nothing).
bool lookupRight(const Bank& bank, const std::string& keyword, std::size_t intended,
                 Outcome& outcome, std::u16string& shown) {
  bank::RecordDatabase database;
  const search::SearchResult exact = search::searchBank(database, bank.path, keyword);
  std::string first;
  if (exact.outcome == search::SearchOutcome::found && !exact.rows.empty()) {
    outcome.exact = true;
    first = exact.rows[0].question;
  } else {
    const auto ranked = bank.index.rank(bank.views, keyword);
    if (ranked.empty()) return false;
    outcome.fallback = true;
    first = bank.stored[ranked[0].index];
  }
  shown = sameQuestionKey(first);
  return shown == bank.keys[intended];
}

capture::OcrTransport serviceTransport() {
  return [](const capture::OcrHttpRequest& request) {
    net::InetRequestOptions options;
    options.url = request.url;
    options.method = request.method == capture::OcrHttpRequest::Method::kPost ? 1 : 0;
    options.body = request.body;
    options.timeoutSeconds = 60;
    capture::OcrHttpReply reply;
    reply.body = net::InetRequest(options);
    reply.status = options.status;
    reply.delivered = options.status != 0;
    return reply;
  };
}

double percentileOf(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

// The tesseract command on the unprepared selection: time and text.
double runReference(const std::string& bmp, const fs::path& dir, std::u16string& text) {
  const fs::path picture = dir / "reference.bmp";
  std::ofstream(picture, std::ios::binary) << bmp;
  const std::string command = "OMP_THREAD_LIMIT=1 tesseract " + quoted(picture.string()) +
                              " - -l chi_sim+eng --psm 6 2>/dev/null";
  const auto start = Clock::now();
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buf[4096];
  for (std::size_t n; pipe && (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  if (pipe) pclose(pipe);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  text = cp936::toUtf16(cp936::fromUtf8(out));
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: ocr_chain_bench SERVICE [--questions N] [--sizes 14,16,18,20] "
                 "[--jobs J] [--timing M] [--font FILE] [--save DIR] [--model M] [--dump FILE]\n");
    return 2;
  }
  const std::string service = argv[1];
  int questionCount = 300, jobs = 2, timingCount = 40;
  std::vector<int> sizes = {14, 16, 18, 20};
  std::string font = screentext::kDefaultFont, saveDir, dumpFile, readsFile;
  std::vector<std::string> serviceOptions;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string name = argv[i], value = argv[i + 1];
    if (name == "--questions") questionCount = std::atoi(value.c_str());
    if (name == "--jobs") jobs = std::max(1, std::atoi(value.c_str()));
    if (name == "--timing") timingCount = std::atoi(value.c_str());
    if (name == "--font") font = value;
    if (name == "--save") saveDir = value;
    if (name == "--model") serviceOptions = {"--model", value};
    if (name == "--dump") dumpFile = value;
    if (name == "--reads") readsFile = value;
    if (name == "--sizes") {
      sizes.clear();
      for (std::size_t at = 0; at < value.size();) {
        sizes.push_back(std::atoi(value.c_str() + at));
        const std::size_t comma = value.find(',', at);
        at = comma == std::string::npos ? value.size() : comma + 1;
      }
    }
  }

  const std::vector<Pair> pairs =
      loadPairs(std::string(QUORVIX_FIXTURES) + "/questions/gaokao_pairs.jsonl");
  screentext::Renderer renderer(font);
  if (pairs.empty() || !renderer.ready()) {
    std::fprintf(stderr, "ocr_chain_bench: no question pairs (python3?) or no font %s\n",
                 font.c_str());
    return 1;
  }

  // The bank: every pair, as the import would store it.
  const fs::path dir =
      fs::temp_directory_path() / ("quorvix-ocr-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  Bank bank;
  bank.path = dir / "all.edb";
  {
    bank::RecordDatabase database;
    if (!database.createDatabase(bank.path, bank::bankSchema()) ||
        !database.openDatabase(bank.path))
      return 1;
    for (const Pair& pair : pairs) {
      bank.stored.push_back(asStored(cp936::fromUtf8(pair.question)));
      bank.keys.push_back(sameQuestionKey(bank.stored.back()));
      if (!database.addRecord({bank.stored.back(), asStored(cp936::fromUtf8(pair.answer))}))
        return 1;
    }
    database.closeDatabase();
  }
  bank.views.assign(bank.stored.begin(), bank.stored.end());
  bank.index = search::SimilarIndex(bank.views);

  // Questions spread evenly over the fixtures, leaving out those the bank cannot hold as
  // they are (characters outside GBK).
  std::vector<std::size_t> eligible;
  for (std::size_t i = 0; i < pairs.size(); ++i)
    if (cp936::unmappableCharacters(cp936::toUtf16(cp936::fromUtf8(pairs[i].question))) == 0 &&
        cp936::unmappableCharacters(std::u16string(cp936::toUtf16(bank.stored[i]))) == 0)
      eligible.push_back(i);
  std::vector<std::size_t> chosen;
  questionCount = std::min<int>(questionCount, int(eligible.size()));
  for (int n = 0; n < questionCount; ++n)
    chosen.push_back(eligible[std::size_t(n) * eligible.size() / std::size_t(questionCount)]);

  ocrtest::ServiceProcess process(service, serviceOptions);
  std::ofstream dump;
  if (!dumpFile.empty()) dump.open(dumpFile, std::ios::binary);
  if (process.url().empty()) {
    std::fprintf(stderr, "ocr_chain_bench: %s did not start\n", service.c_str());
    return 1;
  }
  capture::OcrClient client(serviceTransport(), dir, process.url());
  if (client.TestOcrKeys("bench", "bench").outcome != capture::KeyTestOutcome::kKeysAccepted) {
    std::fprintf(stderr, "ocr_chain_bench: the service gave no token\n");
    return 1;
  }

  std::map<std::string, std::string> reads;  // selection name -> UTF-8 text
  if (!readsFile.empty()) {
    std::ifstream in(readsFile, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      const std::size_t tab = line.find('\t');
      if (tab != std::string::npos) reads[line.substr(0, tab)] = line.substr(tab + 1);
    }
    std::printf("scoring %zu reads from %s\n", reads.size(), readsFile.c_str());
  }

  std::printf("service %s, %zu questions of %zu, bank of %zu pairs, %d at once\n",
              process.url().c_str(), chosen.size(), pairs.size(), pairs.size(), jobs);
  std::printf("%5s %-14s %5s %9s %7s %8s %7s %7s %7s %9s %9s\n", "size", "scheme", "sels",
              "char acc", "exact", "fallback", "none", "top-1", "strict", "median s", "p95 s");

  std::vector<double> allSeconds;
  int allCount = 0, allRight = 0, allAlike = 0;
  double allAccuracy = 0;
  std::vector<Selection> timingSelections;
  for (int size : sizes)
    for (bool dark : {false, true}) {
      std::vector<Selection> selections;
      for (std::size_t pair : chosen) {
        const screentext::Page page =
            renderer.render(pairs[pair].question, size, kTextWidth,
                            dark ? screentext::kWhiteOnDark : screentext::kBlackOnWhite, 8);
        if (page.lines.empty()) continue;
        selections.push_back(cutSelection(page, pair, size, dark));
      }
      if (size == 16 && !dark)
        timingSelections.assign(
            selections.begin(),
            selections.begin() +
                std::min<std::ptrdiff_t>(timingCount, std::ptrdiff_t(selections.size())));
      std::vector<Outcome> outcomes(selections.size());
      std::atomic<std::size_t> next{0};
      std::mutex printLock;
      auto work = [&] {
        for (std::size_t i; (i = next++) < selections.size();) {
          const Selection& selection = selections[i];
          Outcome& outcome = outcomes[i];
          const auto start = Clock::now();
          capture::Recognition recognition;
          if (readsFile.empty()) {
            recognition = client.RecognizeScreenshot(selection.bmp);
          } else {
            const auto read = reads.find(std::to_string(size) + (dark ? "d-" : "w-") +
                                         std::to_string(selection.pair));
            recognition.text = read == reads.end() ? "" : cp936::fromUtf8(read->second);
            recognition.outcome = recognition.text.empty()
                                      ? capture::RecognitionOutcome::kNoText
                                      : capture::RecognitionOutcome::kRecognized;
          }
          outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
          outcome.recognised = recognition.outcome == capture::RecognitionOutcome::kRecognized;
          outcome.accuracy = characterAccuracy(selection.truth, cp936::toUtf16(recognition.text));
          std::u16string shown;
          outcome.right = outcome.recognised &&
                          lookupRight(bank, recognition.text, selection.pair, outcome, shown);
          outcome.alike = outcome.right;
          if (!outcome.right && !shown.empty())
            for (std::size_t other : alikeQuestions(bank, selection.truth))
              outcome.alike = outcome.alike || bank.keys[other] == shown;
          if (dump.is_open()) {
            std::lock_guard<std::mutex> hold(printLock);
            dump << "T " << cp936::toUtf8(cp936::fromUtf16(selection.truth)) << "\nS "
                 << cp936::toUtf8(recognition.text) << "\n";
          }
          if (!saveDir.empty() || std::getenv("QUORVIX_BENCH_VERBOSE")) {
            std::lock_guard<std::mutex> hold(printLock);
            if (std::getenv("QUORVIX_BENCH_VERBOSE") && !outcome.right)
              std::printf("MISS %d%s #%zu acc %.2f\n  seen  %s\n  truth %s\n", size,
                          dark ? " dark" : "", selection.pair, outcome.accuracy,
                          cp936::toUtf8(recognition.text).c_str(),
                          cp936::toUtf8(cp936::fromUtf16(selection.truth)).c_str());
            if (!saveDir.empty()) {
              fs::create_directories(saveDir);
              std::ofstream(fs::path(saveDir) / (std::to_string(size) + (dark ? "d-" : "w-") +
                                                 std::to_string(selection.pair) + ".bmp"),
                            std::ios::binary)
                  << selection.bmp;
            }
          }
        }
      };
      std::vector<std::thread> workers;
      for (int j = 0; j < jobs; ++j) workers.emplace_back(work);
      for (std::thread& worker : workers) worker.join();

      int exact = 0, fallback = 0, none = 0, right = 0, alike = 0;
      double accuracy = 0;
      std::vector<double> seconds;
      for (const Outcome& outcome : outcomes) {
        exact += outcome.exact, fallback += outcome.fallback, right += outcome.right;
        alike += outcome.alike;
        none += !outcome.exact && !outcome.fallback;
        accuracy += outcome.accuracy;
        seconds.push_back(outcome.seconds);
      }
      allSeconds.insert(allSeconds.end(), seconds.begin(), seconds.end());
      allCount += int(outcomes.size()), allRight += right, allAlike += alike;
      allAccuracy += accuracy;
      const double count = std::max<double>(1, double(outcomes.size()));
      std::printf("%5d %-14s %5zu %8.1f%% %7d %8d %7d %6.1f%% %6.1f%% %9.2f %9.2f\n", size,
                  dark ? "white on dark" : "black on white", outcomes.size(),
                  100 * accuracy / count, exact, fallback, none, 100 * alike / count,
                  100 * right / count, percentileOf(seconds, 0.5), percentileOf(seconds, 0.95));
      std::fflush(stdout);
    }
  const double all = std::max(1, allCount);
  std::printf(
      "all %d selections: char acc %.2f%%, top-1 %.2f%% (strict %.2f%%); %d at once: median "
      "%.2f s, 95th percentile %.2f s\n",
      allCount, 100 * allAccuracy / all, 100 * allAlike / all, 100 * allRight / all, jobs,
      percentileOf(allSeconds, 0.5), percentileOf(allSeconds, 0.95));

  // One at a time, against the tesseract command on the same unprepared selection.
  if (!timingSelections.empty() && readsFile.empty()) {
    std::vector<double> ours, reference;
    double ourAccuracy = 0, referenceAccuracy = 0;
    for (const Selection& selection : timingSelections) {
      const auto start = Clock::now();
      const capture::Recognition recognition = client.RecognizeScreenshot(selection.bmp);
      ours.push_back(std::chrono::duration<double>(Clock::now() - start).count());
      ourAccuracy += characterAccuracy(selection.truth, cp936::toUtf16(recognition.text));
      std::u16string text;
      reference.push_back(runReference(selection.bmp, dir, text));
      referenceAccuracy += characterAccuracy(selection.truth, text);
    }
    const double n = double(timingSelections.size());
    std::printf(
        "one at a time, %zu selections at 16 px black on white:\n"
        "  service through the client  median %.2f s  p95 %.2f s  char acc %.1f%%\n"
        "  tesseract command, raw      median %.2f s  p95 %.2f s  char acc %.1f%%\n"
        "  ratio of medians %.2f\n",
        timingSelections.size(), percentileOf(ours, 0.5), percentileOf(ours, 0.95),
        100 * ourAccuracy / n, percentileOf(reference, 0.5), percentileOf(reference, 0.95),
        100 * referenceAccuracy / n, percentileOf(ours, 0.5) / percentileOf(reference, 0.5));
  }
  fs::remove_all(dir);
  return 0;
}
