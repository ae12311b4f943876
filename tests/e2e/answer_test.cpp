// Quorvix.exe under Wine with real banks (written by the independent bank tool): refusing an
// empty bank, deleting a bank, and answering from a bank with the answer form: a typed keyword
// and Enter, stepping through the results, the self-closing notice, deleting a question.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "answer_forms.h"

namespace {

using namespace e2e;

TEST(BankChooser, RefusesTheEmptyBankAndDeletesABankOnlyAfterOk) {
  Program program(e2e::runFolder());
  HWND chooser = chooserWithBanks(program);
  ASSERT_NE(chooser, nullptr);
  HWND combo = chooserCombo(chooser);
  auto items = e2e::comboItems(combo);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_NE(std::find(items.begin(), items.end(), kFullBank), items.end());

  ASSERT_TRUE(e2e::selectComboItem(combo, kEmptyBank));
  e2e::click(button(chooser, L"开 始 考 试"));
  HWND refusal = waitForMessageBox(program);
  ASSERT_NE(refusal, nullptr) << "no message for the empty bank";
  EXPECT_EQ(e2e::messageBoxText(refusal), L"题库为空，请导入题目后再使用！！！");
  e2e::answerMessageBox(refusal, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(refusal); }));
  // The chooser stays, and the refused bank was closed again: it can be deleted now.
  EXPECT_EQ(waitForMainForm(program, kChooserSize), chooser);

  auto emptyFile = program.folder() / L"题库" / kEmptyBank;
  HWND deleteButton = button(chooser, L"删 除 题 库");
  e2e::click(deleteButton);
  HWND question = waitForMessageBox(program);
  ASSERT_NE(question, nullptr) << "no confirmation before deleting";
  EXPECT_EQ(e2e::messageBoxText(question), L"确认删除  " + kEmptyBank + L"  ！！！");
  e2e::answerMessageBox(question, IDCANCEL);
  ASSERT_TRUE(waitUntil([&] { return gone(question); }));
  EXPECT_TRUE(std::filesystem::exists(emptyFile)) << "Cancel deleted the bank";

  e2e::click(deleteButton);
  question = waitForMessageBox(program);
  ASSERT_NE(question, nullptr);
  e2e::answerMessageBox(question, IDOK);
  EXPECT_TRUE(waitUntil([&] { return !std::filesystem::exists(emptyFile); }))
      << "the bank file is still there after OK";
  // The chooser is listed again, with the remaining bank selected.
  EXPECT_TRUE(waitUntil([&] { return e2e::comboItems(combo) == std::vector{kFullBank}; }));
  EXPECT_EQ(e2e::textOf(combo), kFullBank);
  EXPECT_TRUE(std::filesystem::exists(program.folder() / L"题库" / kFullBank));
}

TEST(AnswerForm, SearchStepsNoticesAndDeletesAQuestion) {
  Program program(e2e::runFolder());
  HWND chooser = chooserWithBanks(program);
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(e2e::selectComboItem(chooserCombo(chooser), kFullBank));
  e2e::click(button(chooser, L"开 始 考 试"));
  HWND window = waitForMainForm(program, kAnswerFormSize);
  ASSERT_NE(window, nullptr) << "no answer form of 348 x 650 titled as the program";
  AnswerFormParts form(window);
  ASSERT_NE(form.keyword, nullptr) << "the answer form should have three edit boxes";
  ASSERT_NE(form.status, nullptr) << "the answer form should have a status bar";

  EXPECT_TRUE(form.showsCountLine(L"共有5题"));

  // Three of the five questions hold the keyword, in record order.
  form.search(L"首都");
  ASSERT_TRUE(form.waitForStatus(position(1, 3))) << "status: " << form.statusText().size();
  EXPECT_EQ(e2e::textOf(form.question), L"中国的首都是哪里？");
  EXPECT_EQ(e2e::textOf(form.answer), L"北京");
  e2e::keepScreenshot(window, "4-answer-form");

  e2e::click(button(window, L"下一题"));
  ASSERT_TRUE(form.waitForStatus(position(2, 3)));
  EXPECT_EQ(e2e::textOf(form.question), L"日本的首都是哪里？");
  EXPECT_EQ(e2e::textOf(form.answer), L"东京");
  EXPECT_TRUE(form.showsCountLine(L"共有5题，当前第3题")) << "the record number, not the position";
  e2e::click(button(window, L"下一题"));
  ASSERT_TRUE(form.waitForStatus(position(3, 3)));
  EXPECT_EQ(e2e::textOf(form.question), L"法国的首都是哪里？");

  // Past the last result a notice says so and closes by itself; the result stays.
  e2e::click(button(window, L"下一题"));
  HWND notice = waitForMessageBox(program, L"友情提醒");
  ASSERT_NE(notice, nullptr) << "no notice after the last result";
  EXPECT_EQ(e2e::messageBoxText(notice), L"已是搜索结果最后一项");
  EXPECT_TRUE(waitUntil([&] { return gone(notice); }, 10000)) << "the notice did not close";
  EXPECT_EQ(form.statusText(), position(3, 3));
  EXPECT_EQ(e2e::textOf(form.question), L"法国的首都是哪里？");

  e2e::click(button(window, L"上一题"));
  ASSERT_TRUE(form.waitForStatus(position(2, 3)));
  EXPECT_EQ(e2e::textOf(form.question), L"日本的首都是哪里？");

  // Deleting the shown question asks first, then searches again without it.
  e2e::click(button(window, L"删除"));
  HWND confirm = waitForMessageBox(program, L"请确认");
  ASSERT_NE(confirm, nullptr) << "no confirmation before deleting a question";
  EXPECT_EQ(e2e::messageBoxText(confirm), L"真的删除吗？");
  e2e::answerMessageBox(confirm, IDOK);
  ASSERT_TRUE(form.waitForStatus(position(1, 2)));
  EXPECT_EQ(e2e::textOf(form.question), L"中国的首都是哪里？");
  e2e::click(button(window, L"下一题"));
  ASSERT_TRUE(form.waitForStatus(position(2, 2)));
  EXPECT_EQ(e2e::textOf(form.question), L"法国的首都是哪里？");
  // The later record moved up one; the count stays as read when the form opened.
  EXPECT_TRUE(form.showsCountLine(L"共有5题，当前第4题"));

  form.search(L"日本");
  ASSERT_TRUE(form.waitForStatus(position(0, 0)));
  EXPECT_EQ(e2e::textOf(form.question), L"未查到相关题目");
  EXPECT_EQ(e2e::textOf(form.answer), L"");
  form.search(L"化学式");
  ASSERT_TRUE(form.waitForStatus(position(1, 1)));
  EXPECT_EQ(e2e::textOf(form.answer), L"H2O");
  // Questions are searched, never answers.
  form.search(L"北京");
  ASSERT_TRUE(form.waitForStatus(position(0, 0)));
  EXPECT_EQ(e2e::textOf(form.question), L"未查到相关题目");
}

}  // namespace
