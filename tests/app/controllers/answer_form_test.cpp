// The answer form's search, result navigation and deletion, driven as the user would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "answer_form_fixture.h"
#include "app/controllers/timed_notice.h"

namespace answertest {
namespace {

using ::testing::ElementsAre;

const Pairs kCapitals = {
    {"中国的首都是哪里？", "北京"}, {"长江有多长？", "六千多公里"}, {"日本的首都是哪里？", "东京"},
    {"首都机场在哪个区？", "顺义"}, {"法国的首都是哪里？", "巴黎"},
};

TEST_F(AnswerFormTest, StartShowsTheRecordCountAndLeavesTheBankOpen) {
  openForm(kCapitals);
  EXPECT_EQ(countLine(), "共有5题");
  EXPECT_EQ(session->bankRecordCount(), 5);
  EXPECT_TRUE(bankOpen());
}

TEST_F(AnswerFormTest, EnterSearchesAndShowsTheFirstMatchThenClosesTheBank) {
  openForm(kCapitals);
  searchFor("的首都");
  EXPECT_THAT(column(0), ElementsAre("1", "3", "5"));
  EXPECT_THAT(column(1),
              ElementsAre("中国的首都是哪里？", "日本的首都是哪里？", "法国的首都是哪里？"));
  EXPECT_THAT(column(2), ElementsAre("北京", "东京", "巴黎"));
  EXPECT_EQ(form->超级列表框_题库.selectedRow(), 0);
  EXPECT_EQ(question(), "中国的首都是哪里？");
  EXPECT_EQ(answerText(), "北京");
  EXPECT_EQ(countLine(), "共有5题，当前第1题");
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/3");
  EXPECT_FALSE(bankOpen());

  // The next search finds the bank closed, opens it and closes it again.
  searchFor("长江");
  EXPECT_THAT(column(0), ElementsAre("2"));
  EXPECT_EQ(countLine(), "共有5题，当前第2题");
  EXPECT_FALSE(bankOpen());
}

TEST_F(AnswerFormTest, OtherKeysStartNothing) {
  openForm(kCapitals);
  backend.type(form->编辑框1, gbk("首都"));
  backend.keyDown(*form, 0x41);
  settle();
  EXPECT_EQ(form->超级列表框_题库.rowCount(), 0);
  EXPECT_TRUE(bankOpen());
}

TEST_F(AnswerFormTest, SpacesOnlyKeywordChangesNothingButTheStatus) {
  openForm(kCapitals);
  searchFor("首都");
  searchFor("   ");
  EXPECT_EQ(status(), "搜索内容为空！");
  EXPECT_EQ(form->超级列表框_题库.rowCount(), 4);
  EXPECT_EQ(question(), "中国的首都是哪里？");
  searchFor("");
  EXPECT_EQ(status(), "搜索内容为空！");
}

TEST_F(AnswerFormTest, ABankThatWillNotOpenLeavesListAndDisplayAsTheyWere) {
  openForm(kCapitals);
  searchFor("首都");
  std::filesystem::remove(path);
  searchFor("长江");
  EXPECT_EQ(status(), "题库打开失败，请重试！");
  EXPECT_EQ(form->超级列表框_题库.rowCount(), 4);
  EXPECT_EQ(question(), "中国的首都是哪里？");
  EXPECT_EQ(countLine(), "共有5题，当前第1题");
}

TEST_F(AnswerFormTest, NoMatchEmptiesTheListAndBothEndsOfTheListSaySo) {
  openForm(kCapitals);
  searchFor("首都");
  searchFor("月球");
  EXPECT_EQ(form->超级列表框_题库.rowCount(), 0);
  EXPECT_EQ(question(), "未查到相关题目");
  EXPECT_EQ(answerText(), "");
  EXPECT_EQ(status(), "【当前结果/总结果数】：0/0");
  EXPECT_FALSE(bankOpen());

  backend.click(form->按钮_下一题);
  backend.click(form->按钮_上一题);
  auto shown = backend.messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, gbk("已是搜索结果最后一项"));
  EXPECT_EQ(shown[1].text, gbk("已是搜索结果第一项"));
  for (const auto& box : shown) {
    EXPECT_EQ(box.caption, gbk("友情提醒"));
    EXPECT_EQ(box.timeoutMs, 500u);
    EXPECT_EQ(box.style, ui::mb::kOk);
  }
  EXPECT_EQ(status(), "【当前结果/总结果数】：0/0");
}

TEST_F(AnswerFormTest, MatchingStepsWholeCharactersIsCaseSensitiveAndSkipsAnswers) {
  openForm({{"中国", "a"},  // D6 D0 B9 FA
            {"Capital of china", "b"},
            {"China is big", "c"},
            {"of China", "d"},
            {"答案里才有", "月球在天上"}});
  searchBytes(gbk("中国").substr(1, 2));  // the bytes between the two characters
  EXPECT_EQ(form->超级列表框_题库.rowCount(), 0);
  searchFor("China");
  EXPECT_THAT(column(0), ElementsAre("3", "4"));
  searchFor(" China");  // the leading space is part of the keyword
  EXPECT_THAT(column(0), ElementsAre("4"));
  searchFor("月球");
  EXPECT_EQ(question(), "未查到相关题目");
}

// Recognised text that no question holds: the most similar questions stand in for the
// results, the status says they are similar ones, and stepping and deleting work on them.
TEST_F(AnswerFormTest, AKeywordNoQuestionHoldsShowsTheMostSimilarAndSaysSo) {
  openForm(kCapitals);
  searchFor("2. 日本的首都是哪里?");
  const int rows = form->超级列表框_题库.rowCount();
  ASSERT_GE(rows, 2);
  EXPECT_EQ(question(), "日本的首都是哪里？");
  EXPECT_EQ(answerText(), "东京");
  EXPECT_EQ(countLine(), "共有5题，当前第3题");
  EXPECT_EQ(status(), "【相似结果/总结果数】：1/" + std::to_string(rows));
  EXPECT_FALSE(bankOpen());

  backend.click(form->按钮_下一题);
  EXPECT_EQ(status(), "【相似结果/总结果数】：2/" + std::to_string(rows));
  EXPECT_NE(question(), "日本的首都是哪里？");
  backend.click(form->按钮_上一题);
  backend.answerMessageBoxes({ui::mb::kIdOk});
  backend.click(form->按钮_删除);
  settle();
  EXPECT_NE(question(), "日本的首都是哪里？");
  ASSERT_TRUE(database.openDatabase(path));
  EXPECT_EQ(database.recordCount(), 4);
  database.closeDatabase();

  // Questions holding the keyword are shown as ever, never the similar ones.
  searchFor("首都是哪里");
  EXPECT_THAT(column(0), ElementsAre("1", "4"));
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/2");
  searchFor("月球上有什么");
  EXPECT_EQ(question(), "未查到相关题目");
  EXPECT_EQ(status(), "【当前结果/总结果数】：0/0");
}

// The form keeps the bank's texts between searches; what another program changes in between
// is seen by the next search all the same.
TEST_F(AnswerFormTest, ChangesByAnotherProgramAreSeenByTheNextSearch) {
  openForm(kCapitals);
  searchFor("首都");
  EXPECT_THAT(column(0), ElementsAre("1", "3", "4", "5"));

  bank::RecordDatabase other;
  ASSERT_TRUE(other.openDatabase(path));
  ASSERT_TRUE(other.deleteRecord({1, {}}));
  ASSERT_TRUE(other.addRecord({gbk("首都圈有哪些城市？"), gbk("北京、天津")}));
  searchFor("首都");
  EXPECT_THAT(column(1), ElementsAre("日本的首都是哪里？", "首都机场在哪个区？",
                                     "法国的首都是哪里？", "首都圈有哪些城市？"));
  EXPECT_THAT(column(0), ElementsAre("2", "3", "4", "5"));

  other.closeDatabase();
  ASSERT_TRUE(other.clearDatabase(path, bank::bankSchema()));
  searchFor("首都");
  EXPECT_EQ(question(), "未查到相关题目");
  EXPECT_EQ(form->超级列表框_题库.rowCount(), 0);
}

TEST_F(AnswerFormTest, NavigationStepsThroughTheMatchesAndStopsAtBothEnds) {
  openForm(kCapitals);
  searchFor("的首都");
  backend.click(form->按钮_上一题);
  EXPECT_EQ(backend.messages().back().text, gbk("已是搜索结果第一项"));
  EXPECT_EQ(form->超级列表框_题库.selectedRow(), 0);

  backend.click(form->按钮_下一题);
  EXPECT_EQ(question(), "日本的首都是哪里？");
  EXPECT_EQ(answerText(), "东京");
  // The count line names the record in the bank; the status the place in the results.
  EXPECT_EQ(countLine(), "共有5题，当前第3题");
  EXPECT_EQ(status(), "【当前结果/总结果数】：2/3");

  backend.click(form->按钮_下一题);
  backend.clearMessages();
  backend.click(form->按钮_下一题);
  EXPECT_EQ(backend.messages().size(), 1u);
  EXPECT_EQ(form->超级列表框_题库.selectedRow(), 2);
  EXPECT_EQ(status(), "【当前结果/总结果数】：3/3");

  backend.click(form->按钮_上一题);
  EXPECT_EQ(question(), "日本的首都是哪里？");
  EXPECT_EQ(status(), "【当前结果/总结果数】：2/3");

  // With rows but none selected, 下一题 shows the first.
  form->超级列表框_题库.selectRow(-1);
  backend.click(form->按钮_下一题);
  EXPECT_EQ(form->超级列表框_题库.selectedRow(), 0);
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/3");
}

TEST_F(AnswerFormTest, DeletingWithoutASelectionIsRefused) {
  openForm(kCapitals);
  backend.click(form->按钮_删除);
  auto shown = backend.messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, gbk("未选择记录，不能删除"));
  EXPECT_EQ(shown[0].caption, gbk("信息："));
  EXPECT_EQ(shown[0].timeoutMs, 0u);
  settle();
  EXPECT_TRUE(bankOpen()) << "nothing was searched";
}

TEST_F(AnswerFormTest, CancelDeletesNothingButSearchesAgain) {
  openForm(kCapitals);
  searchFor("的首都");
  backend.click(form->按钮_下一题);
  backend.clearMessages();
  backend.answerMessageBoxes({ui::mb::kIdCancel});
  backend.click(form->按钮_删除);
  settle();
  auto shown = backend.messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, gbk("真的删除吗？"));
  EXPECT_EQ(shown[0].caption, gbk("请确认"));
  EXPECT_EQ(shown[0].style, ui::mb::kOkCancel | ui::mb::kIconQuestion);
  EXPECT_THAT(column(0), ElementsAre("1", "3", "5"));
  EXPECT_EQ(form->超级列表框_题库.selectedRow(), 0) << "the new search shows its first row";
}

TEST_F(AnswerFormTest, DeletionRemovesTheShownQuestionAndLaterRecordsMoveUp) {
  openForm(kCapitals);
  searchFor("首都");
  backend.click(form->按钮_下一题);  // record 3, 日本
  backend.answerMessageBoxes({ui::mb::kIdOk});
  backend.click(form->按钮_删除);
  settle();
  EXPECT_THAT(column(1),
              ElementsAre("中国的首都是哪里？", "首都机场在哪个区？", "法国的首都是哪里？"));
  EXPECT_THAT(column(0), ElementsAre("1", "3", "4"));
  EXPECT_EQ(status(), "【当前结果/总结果数】：1/3");
  // The count line keeps the count read when the form started.
  EXPECT_EQ(countLine(), "共有5题，当前第1题");
  EXPECT_FALSE(bankOpen());
  ASSERT_TRUE(database.openDatabase(path));
  EXPECT_EQ(database.recordCount(), 4);
}

TEST_F(AnswerFormTest, ASecondDeleteBeforeTheListIsRebuiltNeverRemovesAnotherQuestion) {
  openForm(kCapitals);
  searchFor("首都");
  backend.answerMessageBoxes({ui::mb::kIdOk, ui::mb::kIdOk});
  // Both clicks see record 1 in the list; after the first deletion record 1 is 长江.
  backend.click(form->按钮_删除);
  backend.click(form->按钮_删除);
  settle();
  ASSERT_TRUE(database.openDatabase(path));
  EXPECT_EQ(database.recordCount(), 4);
  ASSERT_TRUE(database.goTo(1));
  EXPECT_EQ(cp936::toUtf8(database.readField(bank::kQuestionField)), "长江有多长？");
}

TEST_F(AnswerFormTest, KeywordsFromOtherThreadsAreWrittenAndSearchedOnTheFormsThread) {
  openForm(kCapitals);
  std::thread capture([handle = form->handle()] { app::postKeywordSearch(handle, gbk("长江")); });
  capture.join();
  backend.runPending();
  settle();
  EXPECT_EQ(form->编辑框1.content(), gbk("长江"));
  EXPECT_EQ(question(), "长江有多长？");
}

TEST_F(AnswerFormTest, HandingTheBankBackClosesItAndRefusesLaterWork) {
  openForm(kCapitals);
  std::optional<bool> reply;
  session->handBackBank([&](bool stillOpen) { reply = stillOpen; });
  settle();
  EXPECT_EQ(reply, false);
  EXPECT_FALSE(bankOpen());
  searchFor("首都");
  EXPECT_EQ(form->超级列表框_题库.rowCount(), 0);
  EXPECT_FALSE(bankOpen());
}

TEST_F(AnswerFormTest, ANewFormDoesNotCountTheResultsOfAnEarlierOne) {
  openForm(kCapitals);
  searchFor("首都");
  form->destroy();
  backend.runPending();
  form = &ui::load<app::AnswerForm>([this](app::AnswerForm& f) {
    session = app::SearchSession::attach(f, {shared, worker, [this] { return path; }});
  });
  backend.click(form->按钮_下一题);
  EXPECT_EQ(status(), "【当前结果/总结果数】：0/0");
}

TEST(TimedNoticeTest, DefaultsToOkFiveSecondsAndTheFriendlyCaption) {
  ui::headless::Session ui;
  ui.backend().answerMessageBoxes({ui::mb::kIdOk});
  EXPECT_EQ(app::TimedNotice(gbk("完成")), ui::mb::kIdOk - 1);
  EXPECT_EQ(app::TimedNotice(
                "x", {.flags = ui::mb::kIconError, .caption = std::string("c"), .timeoutMs = 20}),
            ui::mb::kIdTimedOut - 1);
  auto shown = ui.backend().messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].caption, gbk("友情提醒"));
  EXPECT_EQ(shown[0].timeoutMs, 5000u);
  EXPECT_EQ(shown[0].style, ui::mb::kOk);
  EXPECT_EQ(shown[1].caption, "c");
  EXPECT_EQ(shown[1].timeoutMs, 20u);
  EXPECT_EQ(shown[1].style, ui::mb::kIconError);
}

}  // namespace
}  // namespace answertest
