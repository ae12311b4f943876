// One of several programs working on one bank at once (started by the concurrency test):
//   concurrency_worker ROLE BANK LOG MILLISECONDS
// ROLE is "add", "delete" or "clear". Every operation goes to LOG as one line:
//   <start ms> <end ms> <ok 0|1> <the question added or deleted, or "clear">
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bank/question_bank.h"
#include "bank/record_database.h"

namespace {

long long now() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

// Wide arguments: the bank folder's name is Chinese.
int wmain(int argc, wchar_t** argv) {
  if (argc < 5) return 2;
  const std::wstring wideRole = argv[1];
  const std::string role(wideRole.begin(), wideRole.end());
  const std::filesystem::path bankPath = argv[2];
  const std::filesystem::path logPath = argv[3];
  std::FILE* log = _wfopen(logPath.c_str(), L"w");
  if (!log) return 2;
  const std::string tag = logPath.filename().string();
  const long long stopAt = now() + std::stoll(argv[4]);
  std::mt19937 random{unsigned(now())};
  int n = 0;
  while (now() < stopAt) {
    bank::RecordDatabase db;
    const long long start = now();
    bool ok = db.openDatabase(bankPath);
    std::string what;
    if (role == "add") {
      what = "q_" + tag + "_" + std::to_string(++n);
      ok = ok && db.addRecord({what, "a"});
    } else if (role == "delete") {
      std::vector<std::pair<std::int32_t, std::string>> live;
      if (ok)
        db.scanRecords({bank::kQuestionField}, [&](const bank::ScanRow& row) {
          if (row.serial > 0) live.emplace_back(row.serial, std::string((*row.texts)[0]));
          return true;
        });
      if (live.empty()) continue;
      const auto& [serial, question] = live[random() % live.size()];
      what = question;
      ok = ok && db.deleteRecord({serial, {}});
    } else {
      db.closeDatabase();
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
      if (now() > stopAt - 1500) break;
      bank::QuestionBank questionBank(db, bankPath.parent_path().parent_path());
      ok = questionBank.clearBank(bankPath);
      what = "clear";
    }
    std::fprintf(log, "%lld %lld %d %s\n", start, now(), ok ? 1 : 0, what.c_str());
  }
  std::fclose(log);
  return 0;
}
