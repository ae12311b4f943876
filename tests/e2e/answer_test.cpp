// Quorvix.exe under Wine with real banks (written by the independent bank tool): refusing an
// empty bank, deleting a bank, and answering from a bank with the answer form: a typed keyword
// and Enter, stepping through the results, the self-closing notice, deleting a question; text
// with a recognition slip that finds the most similar question; and a search with tens of
// thousands of results while the window keeps answering.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "answer_forms.h"

namespace {

using namespace e2e;

const std::wstring kBigBank = L"长江题库.edb";  // 40,000 questions, all holding 长江
constexpr int kBigBankCount = 40000;

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

// The answer form over the bank named, once the chooser has opened it.
HWND answerFormOver(const Program& program, const std::wstring& bank) {
  HWND chooser = chooserWithBanks(program, {bank});
  if (!chooser || !e2e::selectComboItem(chooserCombo(chooser), bank)) return nullptr;
  e2e::click(button(chooser, L"开 始 考 试"));
  return waitForMainForm(program, kAnswerFormSize);
}

// Text recognised from a screenshot, with a question number and a half-width question mark
// that no question holds: the most similar question is shown, and the status says the results
// are similar ones.
TEST(AnswerForm, RecognisedTextShowsTheMostSimilarQuestion) {
  Program program(e2e::runFolder());
  HWND window = answerFormOver(program, kFullBank);
  ASSERT_NE(window, nullptr);
  AnswerFormParts form(window);
  ASSERT_NE(form.status, nullptr);
  form.search(L"2. 日本的首都是哪里?");
  ASSERT_TRUE(waitUntil(
      [&] { return form.statusText().rfind(L"【相似结果/总结果数】：1/", 0) == 0; }, 10000))
      << "status: " << form.statusText().size();
  EXPECT_EQ(e2e::textOf(form.question), L"日本的首都是哪里？");
  EXPECT_EQ(e2e::textOf(form.answer), L"东京");
  EXPECT_TRUE(form.showsCountLine(L"共有5题，当前第3题"));
  e2e::keepScreenshot(window, "5-similar-results");

  form.search(L"日本的首都");  // held by a question: its own results again
  ASSERT_TRUE(form.waitForStatus(position(1, 1)));
}

// Forty thousand questions hold the keyword. The form shows the first of them while its window
// answers the whole time: the status bar, asked again and again from here during the search,
// answers every time within 200 ms. The result list only shows the form's rows.
TEST(AnswerForm, TensOfThousandsOfResultsLeaveTheWindowAnswering) {
  Program program(e2e::runFolder());
  HWND window = answerFormOver(program, kBigBank);
  ASSERT_NE(window, nullptr);
  AnswerFormParts form(window);
  ASSERT_NE(form.status, nullptr);
  EXPECT_TRUE(form.showsCountLine(L"共有40000题"));

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double slowestMs = 0;
  int asked = 0;
  bool shown = false;
  form.search(L"长江");
  for (DWORD start = GetTickCount(); !shown && GetTickCount() - start < 60000; Sleep(5)) {
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    std::wstring status = form.statusText();
    QueryPerformanceCounter(&after);
    slowestMs = std::max(
        slowestMs, 1000.0 * double(after.QuadPart - before.QuadPart) / double(frequency.QuadPart));
    ++asked;
    shown = status == position(1, kBigBankCount);
  }
  ASSERT_TRUE(shown) << "status: " << form.statusText().size();
  std::printf("slowest status-bar answer during the search: %.1f ms of %d\n", slowestMs, asked);
  EXPECT_LT(slowestMs, 200.0);
  EXPECT_EQ(e2e::textOf(form.question), L"第1题：下列关于长江的说法正确的是");
  EXPECT_EQ(e2e::textOf(form.answer), L"答案1");

  auto lists = e2e::childrenOfClass(window, L"SysListView32");
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(e2e::listRowCount(lists[0]), kBigBankCount);
  EXPECT_EQ(e2e::listCellText(lists[0], kBigBankCount - 1, 1),
            L"第40000题：下列关于长江的说法正确的是");
  EXPECT_EQ(e2e::listCellText(lists[0], kBigBankCount - 1, 0), L"40000");
  e2e::click(button(window, L"下一题"));
  ASSERT_TRUE(form.waitForStatus(position(2, kBigBankCount)));
  EXPECT_EQ(e2e::textOf(form.answer), L"答案2");
}

}  // namespace
