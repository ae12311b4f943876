// The bank store behind the real forms: the chooser's and the import form's bank buttons,
// and the answer form's bank from 开始考试 to 返回.
#include "app/controllers/bank_controller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <thread>

#include "bank_controller_fixture.h"

namespace {

using apptest::gbk;

using apptest::BankControllerTest;

using Strings = std::vector<std::string>;

TEST_F(BankControllerTest, ChooserStartMakesTheFolderAndListsTheBanks) {
  auto& chooser = toChooser();
  EXPECT_TRUE(std::filesystem::is_directory(runDir / std::filesystem::path(u8"题库")));
  EXPECT_EQ(chooser.组合框1.count(), 0);

  makeBank("甲.edb", 1);
  backend.click(chooser.按钮_导入题库);
  backend.runPending();
  auto& importForm = only<app::ImportForm>();
  EXPECT_EQ(importForm.组合框1.text(), gbk("甲.edb"));
  EXPECT_EQ(importForm.组合框1.selectedIndex(), 0);
}

TEST_F(BankControllerTest, StartRefusesAMissingAndAnEmptyBank) {
  auto& chooser = toChooser();
  backend.click(chooser.按钮_开始考试);  // no bank at all: the folder itself is opened
  settle();
  makeBank("empty.edb", 0);
  chooser.组合框1.addItem("empty.edb");
  backend.select(chooser.组合框1, 0);
  backend.click(chooser.按钮_开始考试);
  settle();
  EXPECT_EQ(shownTexts(), (Strings{"题库打开失败", "题库为空，请导入题目后再使用！！！"}));
  EXPECT_TRUE(chooser.alive());
  EXPECT_FALSE(answerBankOpen());
}

TEST_F(BankControllerTest, SelectingABankMakesItTheAnswerBank) {
  makeBank("a.edb", 1);
  makeBank("b.edb", 1);
  auto& chooser = toChooser();
  int b = chooser.组合框1.itemText(0) == "b.edb" ? 0 : 1;
  backend.select(chooser.组合框1, b);
  EXPECT_EQ(banks->questionBank().answerBankPath(), bankFile("b.edb"));
}

TEST_F(BankControllerTest, AnsweringFromStartToBack) {
  makeBank("a.edb", 3);
  backend.click(toChooser().按钮_开始考试);
  settle();
  auto& form = only<app::AnswerForm>();
  EXPECT_EQ(form.透明标签1.caption(), gbk("共有3题"));
  EXPECT_TRUE(answerBankOpen());

  backend.type(form.编辑框1, gbk("第2"));
  backend.keyDown(form, 0x0D);
  settle();
  EXPECT_EQ(form.编辑框2.content(), gbk("第2题"));
  EXPECT_FALSE(answerBankOpen());

  backend.answerMessageBoxes({ui::mb::kIdOk});
  backend.click(form.按钮_删除);
  backend.click(form.按钮_返回);
  EXPECT_TRUE(form.alive()) << "the form waits for its bank work to finish";
  settle();
  auto& chooser = only<app::BankChooserForm>();
  EXPECT_FALSE(answerBankOpen());
  EXPECT_EQ(recordsIn("a.edb"), 2);

  // Opening it again reads the count anew.
  backend.click(chooser.按钮_开始考试);
  settle();
  EXPECT_EQ(only<app::AnswerForm>().透明标签1.caption(), gbk("共有2题"));
}

TEST_F(BankControllerTest, ClosingTheAnswerFormClosesTheBankAndEndsTheProgram) {
  makeBank("a.edb", 1);
  backend.click(toChooser().按钮_开始考试);
  settle();
  backend.closeBox(only<app::AnswerForm>());
  settle();
  EXPECT_EQ(backend.exitCode(), 0);
  EXPECT_FALSE(answerBankOpen());
}

TEST_F(BankControllerTest, DeletingABankAsksFirstThenListsAgain) {
  makeBank("a.edb", 1);
  auto& chooser = toChooser();
  backend.answerMessageBoxes({ui::mb::kIdCancel, ui::mb::kIdOk});
  backend.click(chooser.按钮_删除题库);
  settle();
  EXPECT_TRUE(std::filesystem::exists(bankFile("a.edb")));
  backend.click(chooser.按钮_删除题库);
  settle();
  EXPECT_FALSE(std::filesystem::exists(bankFile("a.edb")));
  EXPECT_EQ(shownTexts(), (Strings{"确认删除  a.edb  ！！！", "确认删除  a.edb  ！！！"}));
  EXPECT_EQ(backend.messages()[0].style, ui::mb::kOkCancel);
  EXPECT_EQ(chooser.组合框1.count(), 0);
}

// A name GBK cannot hold shows whole in both bank lists and in the texts that name the bank,
// and the bank it names is the one used.
TEST_F(BankControllerTest, ABankNameOutsideGbkIsShownAsItIs) {
  const char* name = "物理😀题库.edb";
  const std::u16string shown = u"物理😀题库.edb";
  makeBank(name, 2);
  auto& chooser = toChooser();
  EXPECT_EQ(chooser.组合框1.itemTextUtf16(0), shown);
  EXPECT_EQ(chooser.组合框1.textUtf16(), shown);
  backend.click(chooser.按钮_导入题库);
  backend.runPending();
  auto& importForm = only<app::ImportForm>();
  EXPECT_EQ(importForm.组合框1.textUtf16(), shown);

  backend.click(importForm.按钮_清空数据库);
  settle();
  auto said = backend.messages();
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0].wideText, u"确认要清空  " + shown + u"  吗？？？");
  EXPECT_EQ(said[1].wideText, u"题库 " + shown + u" 已清空");
  EXPECT_EQ(recordsIn(name), 0);

  backend.click(importForm.按钮_返回题库选择);
  backend.runPending();
  auto& back = only<app::BankChooserForm>();
  backend.clearMessages();
  backend.click(back.按钮_删除题库);
  settle();
  said = backend.messages();
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0].wideText, u"确认删除  " + shown + u"  ！！！");
  EXPECT_FALSE(std::filesystem::exists(bankFile(name)));
}

TEST_F(BankControllerTest, ClearingABankFromTheImportFormLeavesItEmpty) {
  makeBank("a.edb", 4);
  backend.click(toChooser().按钮_导入题库);
  backend.runPending();
  backend.click(only<app::ImportForm>().按钮_清空数据库);
  settle();
  EXPECT_EQ(shownTexts(), (Strings{"确认要清空  a.edb  吗？？？", "题库 a.edb 已清空"}));
  EXPECT_EQ(recordsIn("a.edb"), 0);
}

// Bank work held up elsewhere (a long search, an import's batch) holds up no form: opening,
// deleting and clearing go to the bank worker and their outcome comes back.
TEST_F(BankControllerTest, TheFormsNeverWaitForTheBankLock) {
  using namespace std::chrono_literals;
  makeBank("a.edb", 1);
  makeBank("b.edb", 1);
  auto& chooser = toChooser();
  std::promise<void> held;
  std::thread holder([&] {
    banks->sharedBank().use([&](bank::RecordDatabase&) {
      held.set_value();
      std::this_thread::sleep_for(1500ms);
    });
  });
  held.get_future().wait();
  // The listing's order is the file system's: find each bank by its name.
  auto indexOf = [&](const std::string& name) {
    for (int i = 0; i < chooser.组合框1.count(); ++i)
      if (chooser.组合框1.itemText(i) == name) return i;
    return -1;
  };
  const int doomed = indexOf("b.edb");
  const int kept = indexOf("a.edb");
  const auto before = std::chrono::steady_clock::now();
  backend.answerMessageBoxes({ui::mb::kIdOk});
  backend.select(chooser.组合框1, doomed);
  backend.click(chooser.按钮_删除题库);
  backend.select(chooser.组合框1, kept);
  backend.click(chooser.按钮_开始考试);
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
  holder.join();
  ASSERT_GE(doomed, 0);
  ASSERT_GE(kept, 0);
  settle();
  EXPECT_FALSE(std::filesystem::exists(bankFile("b.edb")));
  EXPECT_EQ(only<app::AnswerForm>().透明标签1.caption(), gbk("共有1题"));
}

}  // namespace
