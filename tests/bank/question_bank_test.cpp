#include "bank/question_bank.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "bank_test_support.h"
#include "fake_forms.h"
#include "platform/cp936.h"

namespace {

using namespace banktest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

class QuestionBankTest : public ::testing::Test {
 protected:
  QuestionBankTest() : bank(db, prompts, dir.path()) {}

  std::filesystem::path addBank(const std::filesystem::path& name, int records) {
    auto path = bank.bankFolder() / name;
    EXPECT_TRUE(bank.createBank(path));
    if (records > 0) {
      bank::RecordDatabase other;
      EXPECT_TRUE(other.openDatabase(path));
      for (int i = 0; i < records; ++i) EXPECT_TRUE(other.addRecord({"q", "a"}));
    }
    return path;
  }
  void touch(const char* name) { writeBytes(bank.bankFolder() / name, "x"); }

  TempDir dir;
  bank::RecordDatabase db;
  FakePrompts prompts;
  bank::QuestionBank bank;
  FakeChooser chooser;
};

TEST_F(QuestionBankTest, FolderIsCreatedWithItsParents) {
  bank::QuestionBank deep(db, prompts, dir / "a" / "b");
  deep.ensureBankFolder();
  EXPECT_TRUE(std::filesystem::is_directory(deep.bankFolder()));
  deep.ensureBankFolder();  // already there: nothing happens
  EXPECT_TRUE(deep.bankFolder().filename() == std::filesystem::path(u8"题库"));
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(QuestionBankTest, ListingTakesExactlyTheBankFiles) {
  bank.ensureBankFolder();
  bank.listBanks(chooser);
  EXPECT_THAT(chooser.items, IsEmpty());
  EXPECT_EQ(chooser.selected, -1);

  addBank("one.edb", 0);
  addBank("TWO.EDB", 0);
  touch("x.edbx");
  touch("x.edb~");
  touch("x.edb.qvtmp");
  touch("edb");
  std::filesystem::create_directory(bank.bankFolder() / "dir.edb");
  bank.listBanks(chooser);
  EXPECT_THAT(chooser.texts(), UnorderedElementsAre("one.edb", "TWO.EDB"));
  // Item 0 is selected after every append, so the first one found stays selected.
  EXPECT_EQ(chooser.selected, 0);
  EXPECT_EQ(chooser.text(), chooser.items[0].first);
  EXPECT_FALSE(bank::isBankFileName("a.ed"));
  EXPECT_TRUE(bank::isBankFileName("a.eDb"));
}

TEST_F(QuestionBankTest, NamesOutsideGbkStillOpenTheirFile) {
  bank.ensureBankFolder();
  auto name = std::filesystem::path(u8"題庫😀.edb");
  auto path = addBank(name, 2);
  bank.listBanks(chooser);
  ASSERT_EQ(chooser.items.size(), 1u);
  EXPECT_EQ(chooser.items[0].second, name);
  bank.selectAnswerBank(chooser);
  EXPECT_EQ(bank.answerBankPath(), path);
  EXPECT_TRUE(bank.openForAnswering(chooser));
  EXPECT_TRUE(db.isOpen(path));
}

TEST_F(QuestionBankTest, BankPathTakesTheChooserTextUnchanged) {
  chooser.typed = " a.edb";
  auto path = bank.bankPathOf(chooser);
  EXPECT_EQ(path.filename().string(), " a.edb");
  EXPECT_EQ(path.parent_path(), bank.bankFolder());
}

TEST_F(QuestionBankTest, OpeningForAnsweringNeedsRecords) {
  bank.ensureBankFolder();
  bank.listBanks(chooser);
  EXPECT_FALSE(bank.openForAnswering(chooser));  // nothing to choose: the folder itself
  EXPECT_THAT(prompts.messages, ElementsAre(gbk("题库打开失败")));

  auto empty = addBank("empty.edb", 0);
  bank.listBanks(chooser);
  EXPECT_FALSE(bank.openForAnswering(chooser));
  EXPECT_EQ(prompts.messages.back(), gbk("题库为空，请导入题目后再使用！！！"));
  EXPECT_FALSE(db.isOpen(empty));

  auto full = addBank("full.edb", 3);
  chooser.clear();
  bank.listBanks(chooser);
  chooser.select(chooser.texts()[0] == "full.edb" ? 0 : 1);
  EXPECT_TRUE(bank.openForAnswering(chooser));
  EXPECT_EQ(bank.answerBankPath(), full);
  EXPECT_TRUE(db.isOpen(full));
  EXPECT_EQ(db.recordCount(), 3);
}

TEST_F(QuestionBankTest, ClearingLeavesAnEmptyBankOfTheSameName) {
  bank.ensureBankFolder();
  auto path = addBank("quiz.edb", 4);
  bank.listBanks(chooser);
  prompts.answer = false;
  bank.clearBank(chooser);
  EXPECT_THAT(prompts.confirmations, ElementsAre(gbk("确认要清空  quiz.edb  吗？？？")));
  EXPECT_EQ(bank.targetBankPath(), path);
  EXPECT_EQ(fileBytes(path).size(), 260u + 4 * 2004);  // Cancel: nothing changed

  prompts.answer = true;
  ASSERT_TRUE(db.openDatabase(path));
  bank.clearBank(chooser);
  EXPECT_FALSE(db.isOpen(path));
  EXPECT_THAT(prompts.messages, ElementsAre(gbk("题库 quiz.edb 已清空")));
  EXPECT_EQ(fileBytes(path).size(), 260u);
  EXPECT_FALSE(bank.openForAnswering(chooser));
  EXPECT_EQ(prompts.messages.back(), gbk("题库为空，请导入题目后再使用！！！"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(bank.bankFolder()),
                          std::filesystem::directory_iterator()),
            1);  // a bank is one file, and nothing is left beside it
}

TEST_F(QuestionBankTest, DeletingRebuildsTheChooser) {
  bank.ensureBankFolder();
  addBank("a.edb", 1);
  addBank("b.edb", 1);
  bank.listBanks(chooser);
  std::string first = chooser.text(), second = chooser.texts()[1];

  prompts.answer = false;
  bank.deleteBank(chooser);
  EXPECT_THAT(prompts.confirmations, ElementsAre(gbk("确认删除  ") + first + gbk("  ！！！")));
  EXPECT_EQ(chooser.items.size(), 2u);

  prompts.answer = true;
  ASSERT_TRUE(db.openDatabase(bank.bankFolder() / first));
  bank.deleteBank(chooser);
  EXPECT_FALSE(std::filesystem::exists(bank.bankFolder() / first));
  EXPECT_FALSE(db.isOpen(bank.bankFolder() / first));
  EXPECT_THAT(chooser.texts(), ElementsAre(second));
  EXPECT_EQ(chooser.selected, 0);
  bank.deleteBank(chooser);
  EXPECT_THAT(chooser.items, IsEmpty());
  EXPECT_EQ(chooser.selected, -1);
  EXPECT_TRUE(prompts.messages.empty());
}

}  // namespace
