// Another process makes and fills a bank in the instant between this one's look for it and its
// own placement of a new file: what the other wrote must survive, and this one must say so.
#include <gtest/gtest.h>

#include "bank/question_bank.h"
#include "bank_test_support.h"

namespace {

using namespace banktest;
namespace fs = std::filesystem;

// The native files, except that just before a new file is put in place the rival's bank, with
// records in it, appears at that name.
class RivalFirst final : public platform::FileSystem {
 public:
  std::unique_ptr<platform::RecordFile> open(const fs::path& path,
                                             const platform::OpenRequest& request,
                                             platform::FileFault& fault) override {
    return real_.open(path, request, fault);
  }
  bool replace(const fs::path& from, const fs::path& to) override {
    makeRivalBank(to);
    return real_.replace(from, to);
  }
  bool placeNew(const fs::path& from, const fs::path& to) override {
    makeRivalBank(to);
    return real_.placeNew(from, to);
  }
  bool remove(const fs::path& path) override { return real_.remove(path); }
  bool exists(const fs::path& path) override { return real_.exists(path); }
  bool syncFolderOf(const fs::path& path) override { return real_.syncFolderOf(path); }

 private:
  static void makeRivalBank(const fs::path& path) {
    bank::RecordDatabase rival;
    ASSERT_TRUE(rival.createDatabase(path, bankSchema(), /*replaceExisting=*/false));
    ASSERT_TRUE(rival.openDatabase(path));
    ASSERT_TRUE(rival.addRecords({{"rival 1", "a"}, {"rival 2", "a"}}));
  }

  platform::FileSystem& real_ = platform::nativeFileSystem();
};

int recordsIn(const fs::path& path) {
  bank::RecordDatabase db;
  return db.openDatabase(path) ? db.recordCount() : -1;
}

TEST(CreationRace, ANewBankNeverReplacesOneMadeMeanwhile) {
  TempDir dir;
  RivalFirst files;
  bank::RecordDatabase db(files);
  bank::QuestionBank questionBank(db, dir.path());
  questionBank.ensureBankFolder();
  const auto path = questionBank.bankFolder() / "raced.edb";

  EXPECT_EQ(questionBank.createNewBank(path), bank::QuestionBank::NewBank::existsAlready);
  EXPECT_EQ(recordsIn(path), 2);
  // Once it is there, no file is made at all.
  EXPECT_EQ(questionBank.createNewBank(path), bank::QuestionBank::NewBank::existsAlready);

  // A clear whose bank vanished before it could open it makes no new bank over the rival's.
  const auto gone = questionBank.bankFolder() / "gone.edb";
  EXPECT_FALSE(questionBank.clearBank(gone));
  EXPECT_TRUE(db.lostToExistingFile());
  EXPECT_EQ(recordsIn(gone), 2);

  for (const auto& entry : fs::directory_iterator(questionBank.bankFolder()))
    EXPECT_FALSE(platform::isTemporarySibling(entry.path())) << entry.path();
}

TEST(CreationRace, WithoutARivalTheBankIsMadeAndAFailureIsNoRace) {
  TempDir dir;
  bank::RecordDatabase db;
  bank::QuestionBank questionBank(db, dir.path());
  questionBank.ensureBankFolder();
  const auto path = questionBank.bankFolder() / "calm.edb";
  EXPECT_EQ(questionBank.createNewBank(path), bank::QuestionBank::NewBank::created);
  EXPECT_EQ(recordsIn(path), 0);
  EXPECT_TRUE(questionBank.clearBank(questionBank.bankFolder() / "missing.edb"));
  EXPECT_EQ(recordsIn(questionBank.bankFolder() / "missing.edb"), 0);

  // No folder to put it in: a failure, not a bank that exists.
  EXPECT_EQ(questionBank.createNewBank(dir / "no-such-folder" / "x.edb"),
            bank::QuestionBank::NewBank::failed);
  EXPECT_FALSE(db.lostToExistingFile());
}

}  // namespace
