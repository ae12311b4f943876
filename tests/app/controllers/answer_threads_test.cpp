// Searches arriving from many threads at once while the user steps through the results and
// deletes questions: nothing races (the suite runs under ThreadSanitizer), the user-interface
// thread keeps going, and once things calm down the form shows what the bank holds.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "answer_form_fixture.h"

namespace answertest {
namespace {

TEST_F(AnswerFormTest, ConcurrentSearchesDeletionsAndClicksEndConsistent) {
  const char* topics[] = {"长江", "黄河", "首都", "山脉", "湖泊"};
  Pairs pairs;
  for (int i = 0; i < 400; ++i) {
    pairs.emplace_back(std::string(topics[i % 5]) + "问题" + std::to_string(i),
                       "答案" + std::to_string(i));
  }
  openForm(pairs);

  std::atomic<int> running{4};
  std::vector<std::thread> capturers;
  for (int t = 0; t < 4; ++t) {
    capturers.emplace_back([&, t, handle = form->handle()] {
      for (int i = 0; i < 60; ++i) {
        app::postKeywordSearch(handle, gbk(topics[(t + i) % 5]));
        std::this_thread::sleep_for(std::chrono::microseconds(300));
      }
      --running;
    });
  }
  int deletions = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  // Clicks go on until the searches stop coming and every deletion has been asked for.
  while ((running > 0 || deletions < 15) && std::chrono::steady_clock::now() < deadline) {
    backend.runPending();
    backend.click(form->按钮_下一题);
    backend.click(form->按钮_上一题);
    if (deletions < 15 && form->超级列表框_题库.rowCount() > 0) {
      backend.click(form->按钮_删除);  // an unanswered box says OK
      ++deletions;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  for (auto& thread : capturers) thread.join();
  backend.runPending();
  settle();

  searchFor("问题");
  auto expected = shared.use([&](bank::RecordDatabase& db) {
    return search::searchBank(db, path, gbk("问题"), session->bankRecordCount());
  });
  ASSERT_EQ(form->超级列表框_题库.rowCount(), int(expected.rows.size()));
  for (int row = 0; row < int(expected.rows.size()); ++row) {
    EXPECT_EQ(form->超级列表框_题库.cell(row, 0), std::to_string(expected.rows[row].recordNumber));
    EXPECT_EQ(form->超级列表框_题库.cell(row, 1), expected.rows[row].question);
  }
  EXPECT_GE(expected.rows.size(), 400u - 15u);
  EXPECT_LT(expected.rows.size(), 400u) << "some deletion went through";
  EXPECT_FALSE(bankOpen());
}

}  // namespace
}  // namespace answertest
