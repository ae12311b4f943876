// The answer form's searches as the user waits for them: an answer form on the headless toolkit
// over a 100,000-question bank, each search timed from Enter in the keyword box to the status
// line of its outcome. The first search reads the bank; later ones use the texts the form
// keeps, and the similar ones the index built on the bank worker meanwhile. In the same run,
// grep -c -F over the question texts as one file is the outside reference.
//   form_search_bench [RECORDS]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/controllers/search_session.h"
#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "platform/cp936.h"
#include "question_pairs.h"
#include "ui/headless/session.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct FormBench {
  ui::headless::Session ui;
  ui::headless::HeadlessBackend& backend = ui.backend();
  bank::RecordDatabase database;
  search::SharedBank shared{database};
  search::BankWorker worker;
  std::shared_ptr<app::SearchSession> session;
  app::AnswerForm* form = nullptr;

  explicit FormBench(const std::filesystem::path& bank) {
    database.openDatabase(bank);  // as the bank chooser leaves it
    form = &ui::load<app::AnswerForm>([&](app::AnswerForm& f) {
      session = app::SearchSession::attach(f, {shared, worker, [bank] { return bank; }});
      f.onCreated = [this] { session->loadRecordCount(); };
    });
  }
  ~FormBench() { ui::uninstall(); }

  // Milliseconds from Enter to the outcome in the status line; after the bank worker has
  // finished what it was doing (the similar index, once the bank was read), or not.
  double search(const std::string& keyword, bool afterIdle = true) {
    if (afterIdle) waitIdle();
    form->状态条1.setSectionText(1, "");
    backend.type(form->编辑框1, keyword);
    auto start = Clock::now();
    backend.keyDown(*form, 0x0D);
    while (form->状态条1.sectionText(1).empty()) {
      backend.runPending();
      std::this_thread::yield();
    }
    return msSince(start);
  }
  std::string status() { return cp936::toUtf8(form->状态条1.sectionText(1)); }
  void waitIdle() {
    backend.runUntil([&] { return worker.idle(); }, 600000);
  }
};

double medianOf(FormBench& bench, const std::vector<std::string>& keywords, int rounds) {
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round)
    for (const std::string& keyword : keywords) times.push_back(bench.search(keyword));
  return median(times);
}

}  // namespace

int main(int argc, char** argv) {
  const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
  auto pairs =
      benchdata::loadPairs(std::string(QUORVIX_FIXTURES) + "/questions/gaokao_pairs.jsonl");
  if (pairs.empty()) return 1;
  auto dir =
      std::filesystem::temp_directory_path() / ("quorvix-form-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  auto bankFile = dir / "bench.edb";
  auto textFile = dir / "questions.txt";
  {
    bank::RecordDatabase db;
    if (!db.createDatabase(bankFile, bank::bankSchema()) || !db.openDatabase(bankFile)) return 1;
    std::ofstream text(textFile, std::ios::binary);
    for (int i = 0; i < records; ++i) {
      const auto& [q, a] = pairs[std::size_t(i) % pairs.size()];
      if (!db.addRecord({q, a})) return 1;
      text << q.substr(0, bank::textSlotLength(q, bank::kBankTextWidth)) << '\n';
    }
  }

  // Keywords: a few matches, tens of thousands of matches, and recognised text that no question
  // holds (a question number, half-width punctuation, a look-alike and a dropped character).
  // Six characters of one question: found as often as the pairs repeat in the bank.
  std::string few;
  for (const auto& pair : pairs) {
    std::u16string question = cp936::toUtf16(pair.first);
    if (question.size() > 20 && question.size() < 40) {
      few = cp936::fromUtf16(question.substr(4, 6));
      break;
    }
  }
  const std::string many = cp936::fromUtf8("和");
  std::vector<std::string> noisy;
  for (std::size_t i = 0; noisy.size() < 9 && i < pairs.size(); i += 97) {
    std::u16string text = cp936::toUtf16(pairs[i].first.substr(0, 60));
    if (text.size() < 20) continue;
    std::u16string keyword = u"12. ";
    for (std::size_t c = 0; c < text.size(); ++c) {
      char16_t ch = text[c] == u'，' ? u',' : text[c] == u'已' ? u'己' : text[c];
      if (c != text.size() / 2) keyword += ch;
    }
    noisy.push_back(cp936::fromUtf16(keyword));
  }

  FormBench bench(bankFile);
  double firstMs = bench.search(few, false);
  std::string fewStatus = bench.status();
  // Similar searches one after the other while the index is being built: each stops the build
  // and looks at every kept question.
  std::vector<double> scanTimes;
  for (const std::string& keyword : noisy) scanTimes.push_back(bench.search(keyword, false));
  std::string noisyStatus = bench.status();
  auto built = Clock::now();
  bench.waitIdle();
  double buildMs = msSince(built);
  double warmSimilar = medianOf(bench, noisy, 3);
  double warmExact = medianOf(bench, {few}, 9);
  bench.search(many);
  std::string manyStatus = bench.status();
  double warmMany = medianOf(bench, {many}, 5);

  std::string grep =
      "grep -c -F " + shellQuoted(few) + " " + shellQuoted(textFile.string()) + " >/dev/null";
  std::vector<double> grepTimes;
  for (int i = 0; i < 9; ++i) {
    auto start = Clock::now();
    if (std::system(grep.c_str()) > 256) std::fprintf(stderr, "failed: %s\n", grep.c_str());
    grepTimes.push_back(msSince(start));
  }

  std::printf("bank: %d records, %.1f MB; times from Enter to the status line, medians\n", records,
              double(std::filesystem::file_size(bankFile)) / 1e6);
  std::printf("first search (reads the bank)          %8.1f ms   %s\n", firstMs, fewStatus.c_str());
  std::printf("exact search again                     %8.1f ms   (goal < 10 ms)\n", warmExact);
  std::printf("exact search, tens of thousands found  %8.1f ms   %s\n", warmMany,
              manyStatus.c_str());
  std::printf("similar search, questions scanned      %8.1f ms   %s\n", median(scanTimes),
              noisyStatus.c_str());
  std::printf("similar index built on the worker in   %8.1f ms   (after the last of these)\n",
              buildMs);
  std::printf("similar search with the index          %8.1f ms   (goal < 50 ms)\n", warmSimilar);
  std::printf("grep -c -F over the question texts     %8.1f ms   (outside reference)\n",
              median(grepTimes));
  std::printf("exact again / grep %.2f, many found / few found %.2f\n",
              warmExact / median(grepTimes), warmMany / warmExact);
  std::filesystem::remove_all(dir);
  return 0;
}
