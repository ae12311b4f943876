#include "bank/question_bank.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "bank_test_support.h"
#include "platform/cp936.h"

namespace {

using namespace banktest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
namespace fs = std::filesystem;

class QuestionBankTest : public ::testing::Test {
 protected:
  QuestionBankTest() : bank(db, dir.path()) {}

  fs::path addBank(const fs::path& name, int records) {
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

  // The choice a chooser holding only `file`, selected, makes.
  bank::BankChoice chosen(const fs::path& file) {
    return {cp936::fromUtf16(file.u16string()), file};
  }

  TempDir dir;
  bank::RecordDatabase db;
  bank::QuestionBank bank;
};

TEST_F(QuestionBankTest, FolderIsCreatedWithItsParents) {
  bank::QuestionBank deep(db, dir / "a" / "b");
  deep.ensureBankFolder();
  EXPECT_TRUE(fs::is_directory(deep.bankFolder()));
  deep.ensureBankFolder();  // already there: nothing happens
  EXPECT_TRUE(deep.bankFolder().filename() == fs::path(u8"题库"));
}

TEST_F(QuestionBankTest, ListingTakesExactlyTheBankFiles) {
  bank.ensureBankFolder();
  EXPECT_THAT(bank.listBanks(), IsEmpty());

  addBank("one.edb", 0);
  addBank("TWO.EDB", 0);
  touch("x.edbx");
  touch("x.edb~");
  touch("x.edb.qvtmp");
  touch("x.edb.123-1.quorvix-tmp");
  touch("x.edb.quorvix-journal");
  touch("edb");
  fs::create_directory(bank.bankFolder() / "dir.edb");
  EXPECT_THAT(bank.listBanks(), UnorderedElementsAre("one.edb", "TWO.EDB"));
  EXPECT_FALSE(bank::isBankFileName("a.ed"));
  EXPECT_TRUE(bank::isBankFileName("a.eDb"));
}

TEST_F(QuestionBankTest, NamesOutsideGbkStillOpenTheirFile) {
  bank.ensureBankFolder();
  auto name = fs::path(u8"題庫😀.edb");
  auto path = addBank(name, 2);
  ASSERT_THAT(bank.listBanks(), ElementsAre(name));
  bank.selectAnswerBank(chosen(name));
  EXPECT_EQ(bank.answerBankPath(), path);
  EXPECT_EQ(bank.openForAnswering(chosen(name)), bank::AnsweringOutcome::opened);
  EXPECT_TRUE(db.isOpen(path));
}

TEST_F(QuestionBankTest, BankPathTakesTheChooserTextUnchanged) {
  auto path = bank.bankPathOf({" a.edb", {}});
  EXPECT_EQ(path.filename().string(), " a.edb");
  EXPECT_EQ(path.parent_path(), bank.bankFolder());
  // Text typed over a selected item names the typed bank, not the item.
  EXPECT_EQ(bank.bankPathOf({"b.edb", "a.edb"}).filename(), "b.edb");
  EXPECT_EQ(bank.bankPathOf({"a.edb", "a.edb"}).filename(), "a.edb");
}

TEST_F(QuestionBankTest, OpeningForAnsweringNeedsRecords) {
  bank.ensureBankFolder();
  // Nothing to choose: the folder itself is tried.
  EXPECT_EQ(bank.openForAnswering({"", {}}), bank::AnsweringOutcome::openFailed);

  auto empty = addBank("empty.edb", 0);
  EXPECT_EQ(bank.openForAnswering(chosen("empty.edb")), bank::AnsweringOutcome::empty);
  EXPECT_FALSE(db.isOpen(empty));

  auto full = addBank("full.edb", 3);
  EXPECT_EQ(bank.openForAnswering(chosen("full.edb")), bank::AnsweringOutcome::opened);
  EXPECT_EQ(bank.answerBankPath(), full);
  EXPECT_TRUE(db.isOpen(full));
  EXPECT_EQ(db.recordCount(), 3);
}

TEST_F(QuestionBankTest, ClearingLeavesAnEmptyBankOfTheSameName) {
  bank.ensureBankFolder();
  auto path = addBank("quiz.edb", 4);
  ASSERT_TRUE(db.openDatabase(path));
  EXPECT_TRUE(bank.clearBank(path));
  EXPECT_FALSE(db.isOpen(path));
  EXPECT_EQ(fileBytes(path).size(), 260u);
  EXPECT_EQ(bank.openForAnswering(chosen("quiz.edb")), bank::AnsweringOutcome::empty);
  EXPECT_EQ(std::distance(fs::directory_iterator(bank.bankFolder()), fs::directory_iterator()),
            1);  // a bank is one file, and nothing is left beside it
}

TEST_F(QuestionBankTest, DeletingRemovesTheFileAndClosesIt) {
  bank.ensureBankFolder();
  auto a = addBank("a.edb", 1);
  addBank("b.edb", 1);
  ASSERT_TRUE(db.openDatabase(a));
  EXPECT_TRUE(bank.deleteBank(a));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_FALSE(db.isOpen(a));
  EXPECT_THAT(bank.listBanks(), ElementsAre("b.edb"));
  EXPECT_FALSE(bank.deleteBank(a));  // gone already
}

TEST_F(QuestionBankTest, ATypedNameMeansOneBankWhateverItsCase) {
  bank.ensureBankFolder();
  EXPECT_EQ(bank.resolveBankName("small"), bank.bankFolder() / "small.edb");
  EXPECT_EQ(bank.resolveBankName("small.EDB"), bank.bankFolder() / "small.EDB");
  auto existing = addBank("Small.EDB", 1);
  EXPECT_EQ(bank.resolveBankName("small"), existing);
  EXPECT_EQ(bank.resolveBankName("SMALL.edb"), existing);
  EXPECT_EQ(bank.resolveBankName("smaller"), bank.bankFolder() / "smaller.edb");
}

TEST(BankNames, WhatWindowsCannotStoreIsRefusedBeforeAnythingIsMade) {
  using bank::BankNameProblem;
  const fs::path folder = "C:\\quiz\\题库";
  auto check = [&](const fs::path& name) { return bank::checkBankName(name, folder); };
  EXPECT_EQ(check(fs::path(u8"期中复习")), BankNameProblem::none);
  EXPECT_EQ(check(fs::path(u8"한국어 😀")), BankNameProblem::none);
  EXPECT_EQ(check(""), BankNameProblem::empty);
  EXPECT_EQ(check("   "), BankNameProblem::empty);
  for (const char* bad : {"a*b", "a?b", "a<b", "a>b", "a|b", "a\"b", "a:b", "a/b", "a\\b"})
    EXPECT_EQ(check(bad), BankNameProblem::forbiddenCharacter) << bad;
  for (const char* bad : {"a\tb", "a\nb", "\x01z", "ab\x1f*"})
    EXPECT_EQ(check(bad), BankNameProblem::controlCharacter) << bad;
  for (const char* reserved : {"CON", "con", "Nul", "aux.edb", "COM1", "lpt9", "PRN.txt"})
    EXPECT_EQ(check(reserved), BankNameProblem::reservedName) << reserved;
  EXPECT_EQ(check("COM0"), BankNameProblem::none);
  EXPECT_EQ(check("CONSOLE"), BankNameProblem::none);
  EXPECT_EQ(check("abc."), BankNameProblem::trailingDotOrSpace);
  EXPECT_EQ(check("abc "), BankNameProblem::trailingDotOrSpace);
  EXPECT_EQ(bank::checkBankName(std::string(251, 'x'), "f"), BankNameProblem::none);
  // With ".edb", 256 characters: more than a file name may hold.
  EXPECT_EQ(bank::checkBankName(std::string(252, 'x'), "f"), BankNameProblem::tooLong);
  // The whole path too must stay within what Windows takes.
  EXPECT_EQ(bank::checkBankName("x", fs::path(std::string(253, 'f'))), BankNameProblem::none);
  EXPECT_EQ(bank::checkBankName("x", fs::path(std::string(254, 'f'))), BankNameProblem::tooLong);
}

TEST(BankNames, AnExtensionOfEdbIsKeptAndOtherwiseAdded) {
  EXPECT_EQ(bank::bankFileName("abc"), "abc.edb");
  EXPECT_EQ(bank::bankFileName("abc.edb"), "abc.edb");
  EXPECT_EQ(bank::bankFileName("abc.EDB"), "abc.EDB");
  EXPECT_EQ(bank::bankFileName("abc.txt"), "abc.txt.edb");
  EXPECT_TRUE(bank::sameNameIgnoringCase("Abc.EDB", "aBC.edb"));
  EXPECT_FALSE(bank::sameNameIgnoringCase("abc.edb", "abd.edb"));
}

TEST(BankLayout, ABankNeedsBothTextFieldsOnceEach) {
  auto layoutOf = [](std::vector<bank::Field> fields) {
    bank::Layout layout;
    layout.fields = std::move(fields);
    return layout;
  };
  const std::string q = bank::kQuestionField, a = bank::kAnswerField;
  EXPECT_TRUE(bank::isQuestionBankLayout(layoutOf({{q, bank::kText}, {a, bank::kText}})));
  EXPECT_TRUE(bank::isQuestionBankLayout(
      layoutOf({{a, bank::kText}, {"x", bank::kInt}, {q, bank::kText}})));
  EXPECT_FALSE(bank::isQuestionBankLayout(layoutOf({{q, bank::kText}})));
  EXPECT_FALSE(bank::isQuestionBankLayout(layoutOf({{q, bank::kText}, {a, bank::kInt}})));
  EXPECT_FALSE(
      bank::isQuestionBankLayout(layoutOf({{q, bank::kText}, {a, bank::kText}, {q, bank::kText}})));
  EXPECT_FALSE(bank::isQuestionBankLayout(layoutOf({{"", bank::kText}, {a, bank::kText}})));
}

}  // namespace
