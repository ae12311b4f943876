// Several programs on one bank at once under Windows' rules (mandatory byte-range locks, no
// file deleted or replaced while open): afterwards the bank holds exactly what each reported.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "bank_test_support.h"
#include "platform/run_directory.h"

namespace {

namespace fs = std::filesystem;

struct Entry {
  long long start = 0, end = 0;
  bool ok = false;
  std::string what;
};

std::vector<Entry> readLog(const fs::path& path) {
  std::vector<Entry> entries;
  std::ifstream in(path);
  for (Entry e; in >> e.start >> e.end >> e.ok >> e.what;) entries.push_back(e);
  return entries;
}

PROCESS_INFORMATION start(const std::wstring& command) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring line = command;
  CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                 &process);
  return process;
}

TEST(BankConcurrencyOnWindows, WhatEachProgramReportedIsWhatTheBankHolds) {
  banktest::TempDir dir;
  bank::RecordDatabase setup;
  bank::QuestionBank questionBank(setup, dir.path());
  questionBank.ensureBankFolder();
  const fs::path bankPath = questionBank.bankFolder() / "shared.edb";
  ASSERT_TRUE(questionBank.createBank(bankPath));

  const fs::path worker = platform::programDirectory() / "concurrency_worker.exe";
  const std::vector<std::pair<std::string, std::string>> roles = {
      {"add", "logA1"}, {"add", "logA2"}, {"delete", "logD1"}, {"clear", "logC1"}};
  std::vector<PROCESS_INFORMATION> running;
  for (const auto& [role, log] : roles) {
    std::wstring command = L"\"" + worker.wstring() + L"\" " +
                           std::wstring(role.begin(), role.end()) + L" \"" + bankPath.wstring() +
                           L"\" \"" + (dir / log).wstring() + L"\" 6000";
    running.push_back(start(command));
    ASSERT_NE(running.back().hProcess, nullptr);
  }
  for (auto& process : running) {
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }

  std::multiset<std::string> present;
  std::set<std::int32_t> serials;
  bank::RecordDatabase reader;
  ASSERT_TRUE(reader.openDatabase(bankPath));
  ASSERT_TRUE(reader.scanRecords({bank::kQuestionField}, [&](const bank::ScanRow& row) {
    EXPECT_GT(row.serial, 0) << "a deleted record was left behind";
    EXPECT_TRUE(serials.insert(row.serial).second) << "serial " << row.serial << " twice";
    present.insert(std::string((*row.texts)[0]));
    return true;
  }));

  std::vector<Entry> clears;
  for (const auto& e : readLog(dir / "logC1"))
    if (e.ok) clears.push_back(e);
  int adds = 0, added = 0, deletes = 0;
  std::set<std::string> deleted;
  for (const auto& e : readLog(dir / "logD1")) {
    deletes += e.ok;
    if (e.ok) deleted.insert(e.what);
  }
  for (const char* log : {"logA1", "logA2"}) {
    for (const auto& e : readLog(dir / log)) {
      ++adds;
      added += e.ok;
      if (!e.ok) {
        EXPECT_EQ(present.count(e.what), 0u) << "failed add " << e.what << " left a record";
        continue;
      }
      EXPECT_LE(present.count(e.what), 1u) << e.what;
      bool clearedAfter = false, clearOverlaps = false;
      for (const auto& c : clears) {
        clearedAfter = clearedAfter || c.start > e.end;
        clearOverlaps = clearOverlaps || (c.start <= e.end && c.end >= e.start);
      }
      if (clearedAfter || deleted.count(e.what)) {
        EXPECT_EQ(present.count(e.what), 0u) << e.what << " should be gone";
      } else if (!clearOverlaps) {
        EXPECT_EQ(present.count(e.what), 1u) << "add " << e.what << " reported done, not there";
      }
    }
  }
  EXPECT_GT(added, 50);
  EXPECT_GT(deletes, 0);
  EXPECT_FALSE(clears.empty());
  std::printf("adds %d (%d done), deletions %d, clears %zu, records at the end %zu\n", adds, added,
              deletes, clears.size(), present.size());
}

}  // namespace
