// Stops or fails each file change of every writing operation in turn, as a crash, a torn write,
// a full disk and a power cut that loses what was not yet flushed, and checks that the bank
// still opens and holds every live record exactly once: the records from before the operation
// or those after it, never a mix, a loss or a duplicate.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "bank/purge_journal.h"
#include "bank/question_bank.h"
#include "bank_test_support.h"
#include "faulty_files.h"

namespace {

using namespace banktest;

using Records = std::multiset<std::string>;

struct Snapshot {
  Records live;
  std::vector<std::int32_t> serials;
};

// Reads the bank back through a fresh engine, as the next run of the program would.
bool readBack(const std::filesystem::path& path, Snapshot& out) {
  bank::RecordDatabase db;
  if (!db.openDatabase(path)) return false;
  out = {};
  return db.scanRecords({kQuestion, kAnswer}, [&](const bank::ScanRow& row) {
    out.serials.push_back(row.serial);
    if (row.serial > 0)
      out.live.insert(std::string((*row.texts)[0]) + "|" + std::string((*row.texts)[1]));
    return true;
  });
}

struct Operation {
  const char* name;
  std::function<void(bank::RecordDatabase&)> prepare;  // on the starting bank
  std::function<bool(bank::RecordDatabase&, bank::QuestionBank&)> run;
  bool flushes = false;  // what it reported done is on the disk, power cut or not
};

void PrintTo(const Operation& operation, std::ostream* out) { *out << operation.name; }

class FaultInjectionTest : public ::testing::TestWithParam<Operation> {
 protected:
  void SetUp() override {
    bank::RecordDatabase db;
    bank::QuestionBank setup(db, dir.path());
    setup.ensureBankFolder();
    path = setup.bankFolder() / "bank.edb";
    ASSERT_TRUE(setup.createBank(path));
    ASSERT_TRUE(db.openDatabase(path));
    for (int i = 1; i <= 5; ++i) ASSERT_TRUE(db.addRecord({numbered("q", i), numbered("a", i)}));
    GetParam().prepare(db);
    db.closeDatabase();
    before = fileBytes(path);
    ASSERT_TRUE(readBack(path, beforeState));
  }

  // Runs the operation over `files`, armed after the bank is opened; returns its result.
  bool runWith(FaultyFiles& files, Fault fault, int atChange) {
    writeBytes(path, before);
    std::filesystem::remove(bank::journalPath(path));
    bank::RecordDatabase db(files);
    bank::QuestionBank questionBank(db, dir.path());
    files.arm(Fault::none, 0);
    EXPECT_TRUE(db.openDatabase(path));
    files.arm(fault, atChange);
    return GetParam().run(db, questionBank);
  }

  TempDir dir;
  std::filesystem::path path;
  std::string before;
  Snapshot beforeState;
};

TEST_P(FaultInjectionTest, EveryChangeCanFail) {
  FaultyFiles files;
  ASSERT_TRUE(runWith(files, Fault::none, 0));
  const int changes = files.changes();
  ASSERT_GT(changes, 0);
  Snapshot afterState;
  ASSERT_TRUE(readBack(path, afterState));
  ASSERT_FALSE(afterState.live == beforeState.live && afterState.serials == beforeState.serials);

  for (Fault fault : {Fault::crash, Fault::tornWrite, Fault::diskFull, Fault::powerCut}) {
    for (int n = 1; n <= changes; ++n) {
      SCOPED_TRACE(::testing::Message() << "fault " << static_cast<int>(fault) << " at change " << n
                                        << " of " << changes);
      FaultyFiles faulty;
      bool done = runWith(faulty, fault, n);
      if (fault == Fault::diskFull && !done) {
        EXPECT_TRUE(fileBytes(path) == before) << "a failed operation changed the file";
      }
      Snapshot state;
      ASSERT_TRUE(readBack(path, state)) << "the bank no longer opens";
      if (done && (fault == Fault::diskFull || GetParam().flushes)) {
        EXPECT_EQ(state.live, afterState.live) << "what was reported done did not last";
      } else {
        EXPECT_TRUE(state.live == beforeState.live || state.live == afterState.live);
      }

      // The next append must still get a serial of its own.
      bank::RecordDatabase db;
      ASSERT_TRUE(db.openDatabase(path));
      ASSERT_TRUE(db.addRecord({"probe", "p"}));
      db.closeDatabase();
      ASSERT_TRUE(readBack(path, state));
      std::set<std::int32_t> distinct;
      for (auto s : state.serials) distinct.insert(s < 0 ? -s : s);
      EXPECT_EQ(distinct.size(), state.serials.size()) << "a serial was handed out twice";
    }
  }
  EXPECT_FALSE(std::filesystem::exists(bank::journalPath(path)));
  for (const auto& entry : std::filesystem::directory_iterator(path.parent_path()))
    EXPECT_EQ(entry.path().filename(), path.filename()) << "something was left beside the bank";
}

// A purge cut short through one name of a bank (a symbolic link, or the file it names) is
// finished by the next use through the other name: the journal belongs to the file.
TEST(PurgeThroughLinks, ACutShortPurgeIsFinishedThroughEitherName) {
  for (bool cutThroughLink : {true, false}) {
    SCOPED_TRACE(cutThroughLink ? "cut through the link" : "cut through the file");
    TempDir dir;
    const auto target = dir / "target.edb", link = dir / "link.edb";
    {
      bank::RecordDatabase db;
      ASSERT_TRUE(db.createDatabase(target, bankSchema()));
      ASSERT_TRUE(db.openDatabase(target));
      for (int i = 1; i <= 5; ++i) ASSERT_TRUE(db.addRecord({numbered("q", i), numbered("a", i)}));
      ASSERT_TRUE(db.goTo(2) && db.markDeleted() && db.goTo(4) && db.markDeleted());
    }
    std::error_code ec;
    std::filesystem::create_symlink(target.filename(), link, ec);
    if (ec) GTEST_SKIP() << "no symbolic links here";
    const auto cutName = cutThroughLink ? link : target, laterName = cutThroughLink ? target : link;
    const std::string before = fileBytes(target);
    Snapshot beforeState, afterState;
    ASSERT_TRUE(readBack(target, beforeState));

    auto purgeCutAt = [&](Fault fault, int change) {
      writeBytes(target, before);
      FaultyFiles files;
      bank::RecordDatabase db(files);
      EXPECT_TRUE(db.openDatabase(cutName));
      files.arm(fault, change);
      db.purgeDeleted();
      return files.changes();
    };
    const int changes = purgeCutAt(Fault::none, 0);
    ASSERT_TRUE(readBack(laterName, afterState));
    ASSERT_EQ(afterState.live.size(), 3u);

    for (int n = 1; n <= changes * 2; ++n) {
      const Fault fault = n <= changes ? Fault::crash : Fault::tornWrite;
      const int at = n <= changes ? n : n - changes;
      SCOPED_TRACE(::testing::Message() << "cut at change " << at << " of " << changes);
      purgeCutAt(fault, at);
      Snapshot state;
      ASSERT_TRUE(readBack(laterName, state)) << "the bank no longer opens";
      EXPECT_TRUE(state.live == beforeState.live || state.live == afterState.live)
          << "a record was lost or doubled";
      std::set<std::int32_t> distinct;
      for (auto serial : state.serials) distinct.insert(serial < 0 ? -serial : serial);
      EXPECT_EQ(distinct.size(), state.serials.size()) << "a record is in the file twice";
      for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_TRUE(entry.path() == target || entry.path() == link) << entry.path();
    }
  }
}

const Operation kOperations[] = {
    {"addRecord", [](bank::RecordDatabase&) {},
     [](bank::RecordDatabase& db, bank::QuestionBank&) {
       return db.addRecord({"new question", "new answer"});
     }},
    {"addRecords", [](bank::RecordDatabase&) {},
     [](bank::RecordDatabase& db, bank::QuestionBank&) {
       return db.addRecords({{"new 1", "a"}, {"new 2", "a"}, {"new 3", "a"}});
     }},
    {"markDeleted", [](bank::RecordDatabase&) {},
     [](bank::RecordDatabase& db, bank::QuestionBank&) { return db.goTo(3) && db.markDeleted(); }},
    {"purgeDeleted",
     [](bank::RecordDatabase& db) {
       ASSERT_TRUE(db.goTo(2) && db.markDeleted());
       ASSERT_TRUE(db.goTo(4) && db.markDeleted());
     },
     [](bank::RecordDatabase& db, bank::QuestionBank&) { return db.purgeDeleted(); }, true},
    {"deleteRecord", [](bank::RecordDatabase&) {},
     [](bank::RecordDatabase& db, bank::QuestionBank&) {
       return db.deleteRecord({3, {{kQuestion, numbered("q", 3)}}});
     },
     true},
    {"clearBank", [](bank::RecordDatabase&) {},
     [](bank::RecordDatabase& db, bank::QuestionBank& questionBank) {
       return questionBank.clearBank(questionBank.bankFolder() / "bank.edb");
     },
     true},
};

INSTANTIATE_TEST_SUITE_P(Bank, FaultInjectionTest, ::testing::ValuesIn(kOperations),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
