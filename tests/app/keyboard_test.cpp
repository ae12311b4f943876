// The program by keyboard alone, over the headless toolkit: where each form opens its focus and
// the round Tab makes, accepting the disclaimer, Esc on the OCR settings, and Enter searching
// from the keyword box but pressing a focused button elsewhere, whose notice is the form's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bank_controller_fixture.h"
#include "shell_fixture.h"

namespace apptest {
namespace {

using Names = std::vector<std::string>;
using Strings = std::vector<std::string>;

std::string focusedName(const ui::Form& form) {
  ui::Control* focused = form.focusedControl();
  return focused ? std::string(focused->name()) : "";
}

// The stops Tab visits from the form's first focus until it comes round to it again.
Names tabRound(ui::headless::HeadlessBackend& backend, ui::Form& form, bool backward = false) {
  Names visited{focusedName(form)};
  for (int i = 0; i < 30; ++i) {
    backend.keyDown(form, ui::key::kTab, backward);
    if (focusedName(form) == visited.front()) return visited;
    visited.push_back(focusedName(form));
  }
  return visited;
}

class Keyboard : public ::testing::Test {
 protected:
  ui::headless::Session session;
  ui::headless::HeadlessBackend& backend = session.backend();
};

TEST_F(Keyboard, EachFormOpensOnItsNaturalFirstControlAndTabGoesRoundItsOrder) {
  EXPECT_EQ(tabRound(backend, ui::load<app::DisclaimerForm>()), (Names{"按钮_同意", "按钮_拒绝"}));
  EXPECT_EQ(tabRound(backend, ui::load<app::BankChooserForm>()),
            (Names{"组合框1", "按钮_导入题库", "按钮_删除题库", "按钮_开始考试", "按钮_导出题库"}));
  EXPECT_EQ(tabRound(backend, ui::load<app::OcrSettingsForm>()),
            (Names{"编辑框1", "编辑框2", "编辑框3", "按钮1", "按钮3", "按钮2", "单选框_本地识别"}));

  // The result list and the captured image lie out of sight and are never reached.
  auto& answer = ui::load<app::AnswerForm>();
  const Names answerRound{
      "编辑框1",         "按钮_开始", "单选框_划屏取词", "选择框_自动置顶", "选择框_自动搜索",
      "选择框_窗口透明", "多功能条1", "编辑框2",         "按钮_上一题",     "按钮_下一题",
      "按钮_删除",       "按钮_返回", "按钮_赞助",       "编辑框3"};
  EXPECT_EQ(tabRound(backend, answer), answerRound);
  Names backwards{answerRound.front()};
  backwards.insert(backwards.end(), answerRound.rbegin(), answerRound.rend() - 1);
  EXPECT_EQ(tabRound(backend, answer, /*backward=*/true), backwards);

  // Of the import form's two target controls, only the shown one is a stop.
  auto& import = ui::load<app::ImportForm>();
  EXPECT_EQ(tabRound(backend, import),
            (Names{"按钮_打开", "单选框1", "组合框1", "按钮_导入题库", "按钮_返回题库选择",
                   "按钮_清空数据库", "超级列表框"}));
  import.单选框2.setChecked(true);
  import.组合框1.setVisible(false);
  import.编辑框1.setVisible(true);
  backend.keyDown(import, ui::key::kTab);
  EXPECT_EQ(focusedName(import), "单选框2");
  backend.keyDown(import, ui::key::kTab);
  EXPECT_EQ(focusedName(import), "编辑框1");

  EXPECT_EQ(focusedName(ui::load<app::ScreenshotForm>()), "") << "the overlay is for the mouse";
}

TEST_F(ShellTest, TheDisclaimerIsAcceptedWithTabAndEnter) {
  startProgram();
  auto& form = disclaimer();
  backend.keyDown(form, ui::key::kTab);
  EXPECT_TRUE(form.按钮_拒绝.hasFocus());
  backend.keyDown(form, ui::key::kTab);
  backend.keyDown(form, ui::key::kReturn);
  backend.runPending();
  EXPECT_TRUE(only<app::BankChooserForm>().组合框1.hasFocus());
}

TEST_F(ShellTest, SpaceOnRefuseEndsTheProgram) {
  startProgram();
  backend.keyDown(disclaimer(), ui::key::kTab);
  backend.keyDown(disclaimer(), ui::key::kSpace);
  EXPECT_EQ(backend.exitCode(), 0);
}

TEST_F(ShellTest, EscClosesTheOcrSettingsAndLeavesTheAnswerForm) {
  auto& answer = toAnswer();
  EXPECT_TRUE(answer.编辑框1.hasFocus());
  backend.keyDown(answer, ui::key::kTab, /*shift=*/true);
  backend.keyDown(answer, ui::key::kTab, /*shift=*/true);
  ASSERT_TRUE(answer.按钮_赞助.hasFocus());
  backend.keyDown(answer, ui::key::kReturn);
  auto* settings = ui::find<app::OcrSettingsForm>();
  ASSERT_NE(settings, nullptr);
  EXPECT_TRUE(settings->编辑框1.hasFocus());
  backend.keyDown(*settings, ui::key::kEscape);
  backend.runPending();
  EXPECT_EQ(ui::find<app::OcrSettingsForm>(), nullptr);
  EXPECT_TRUE(answer.alive());
}

TEST_F(BankControllerTest, EnterSearchesFromTheKeywordBoxAndPressesAFocusedButtonElsewhere) {
  makeBank("a.edb", 3);
  auto& chooser = toChooser();
  for (int i = 0; i < 3; ++i) backend.keyDown(chooser, ui::key::kTab);
  ASSERT_TRUE(chooser.按钮_开始考试.hasFocus());
  backend.keyDown(chooser, ui::key::kReturn);
  settle();
  auto& form = only<app::AnswerForm>();
  ASSERT_TRUE(form.编辑框1.hasFocus());

  backend.type(form.编辑框1, gbk("第"));
  backend.keyDown(form, ui::key::kReturn);
  settle();
  EXPECT_EQ(cp936::toUtf8(form.状态条1.sectionText(1)), "【当前结果/总结果数】：1/3");

  for (int i = 0; i < 8; ++i) backend.keyDown(form, ui::key::kTab);
  ASSERT_TRUE(form.按钮_上一题.hasFocus());
  backend.keyDown(form, ui::key::kReturn);  // the button's, not a new search
  settle();
  ASSERT_EQ(shownTexts(), (Strings{"已是搜索结果第一项"}));
  EXPECT_EQ(backend.messages()[0].owner, form.handle());
  backend.keyDown(form, ui::key::kTab);
  backend.keyDown(form, ui::key::kSpace);
  settle();
  EXPECT_EQ(cp936::toUtf8(form.状态条1.sectionText(1)), "【当前结果/总结果数】：2/3");

  // Enter in the read-only question and answer boxes keeps the place in the results.
  for (auto* box : {&form.编辑框2, &form.编辑框3}) {
    backend.click(*box);
    ASSERT_TRUE(box->hasFocus());
    backend.keyDown(form, ui::key::kReturn);
    settle();
    EXPECT_EQ(cp936::toUtf8(form.状态条1.sectionText(1)), "【当前结果/总结果数】：2/3");
    EXPECT_EQ(form.超级列表框_题库.selectedRow(), 1);
  }
}

TEST_F(BankControllerTest, EnterInTheChooserOpensTheSelectedBankAndBackComesToIt) {
  makeBank("a.edb", 1);
  makeBank("b.edb", 2);
  auto& chooser = toChooser();
  const int b = chooser.组合框1.itemText(0) == "b.edb" ? 0 : 1;
  backend.select(chooser.组合框1, b);
  ASSERT_TRUE(chooser.组合框1.hasFocus());
  backend.keyDown(chooser, ui::key::kReturn);
  settle();
  auto& form = only<app::AnswerForm>();
  EXPECT_EQ(form.透明标签1.caption(), gbk("共有2题"));

  backend.click(form.按钮_返回);
  settle();
  auto& back = only<app::BankChooserForm>();
  EXPECT_EQ(back.组合框1.selectedIndex(), b);
  EXPECT_EQ(back.组合框1.text(), "b.edb");
  // Enter again opens the same bank, not the first one listed.
  backend.keyDown(back, ui::key::kReturn);
  settle();
  EXPECT_EQ(only<app::AnswerForm>().透明标签1.caption(), gbk("共有2题"));
}

}  // namespace
}  // namespace apptest
