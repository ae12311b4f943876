// The answer form's kept texts: the same answers as reading the file, read again only when
// another program changed the bank, and the similar index built only when left alone.
#include "search/bank_cache.h"

#include <gtest/gtest.h>

#include <random>

#include "bank/question_bank.h"
#include "platform/cp936.h"

namespace {

using search::SearchOutcome;
using search::SearchRequest;
using search::SimilarMode;

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

// Questions in twins that differ in one character, so only the right one may come first.
const char* const kQuestions[] = {
    "已知函数f(x)在区间[0,1]上单调递增，求实数a的取值范围",
    "已知函数f(x)在区间[0,1]上单调递减，求实数a的取值范围",
    "下列关于细胞结构的说法正确的是",
    "下列关于细胞结构的说法错误的是",
    "中国古代四大发明中，最早传入欧洲的是",
    "中国古代四大发明中，最晚传入欧洲的是",
    "Which of the following is NOT true about the passage?",
    "Which of the following is true about the passage?",
    "自己动手，丰衣足食",
    "自已动手，丰衣足食",
};

class BankCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device seed;
    dir = std::filesystem::temp_directory_path() /
          ("quorvix-cache-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(dir);
    path = dir / "bank.edb";
    ASSERT_TRUE(db.createDatabase(path, bank::bankSchema()));
    ASSERT_TRUE(other.openDatabase(path));
    int n = 0;
    for (const char* question : kQuestions)
      ASSERT_TRUE(other.addRecord({gbk(question), "answer" + std::to_string(++n)}));
  }
  void TearDown() override {
    other.closeDatabase();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  // The kept texts answer as a search of the file does, row for row.
  search::SearchResult expectSameAsFile(const SearchRequest& request) {
    auto kept = cache.search(db, path, request);
    auto read = search::searchBank(db, path, request);
    EXPECT_EQ(kept.outcome, read.outcome);
    EXPECT_EQ(kept.rows.size(), read.rows.size());
    for (std::size_t i = 0; i < kept.rows.size() && i < read.rows.size(); ++i) {
      EXPECT_EQ(kept.rows[i].recordNumber, read.rows[i].recordNumber);
      EXPECT_EQ(kept.rows[i].serial, read.rows[i].serial);
      EXPECT_EQ(kept.rows[i].question, read.rows[i].question);
      EXPECT_EQ(kept.rows[i].answer, read.rows[i].answer);
      EXPECT_EQ(kept.rows[i].score, read.rows[i].score);
    }
    EXPECT_FALSE(db.isOpen(path));
    return kept;
  }
  std::vector<int> numbers(const search::SearchResult& result) {
    std::vector<int> out;
    for (const auto& row : result.rows) out.push_back(row.recordNumber);
    return out;
  }

  std::filesystem::path dir, path;
  bank::RecordDatabase db;
  bank::RecordDatabase other;  // another program's handle on the same bank
  search::BankCache cache;
};

TEST_F(BankCacheTest, KeptTextsAnswerAsTheFileDoesAndAreReadOnce) {
  for (SimilarMode mode : {SimilarMode::never, SimilarMode::whenNoneHoldsIt, SimilarMode::always})
    for (const char* keyword : {"已知函数", "丰衣足食", "the passage", "PASSAGE", "月球",
                                "己知函数f(x)在区间[O,l]上单调递增", "细胞结构的说法错误"})
      for (int limit : {-1, 3, 100}) {
        SCOPED_TRACE(keyword);
        expectSameAsFile({gbk(keyword), limit, mode});
      }
  EXPECT_EQ(cache.search(db, path, {"  "}).outcome, SearchOutcome::emptyKeyword);
  EXPECT_EQ(cache.loads(), 1u);

  // The questions are kept one after another with a zero byte between them: the end of one
  // and the start of the next are no match.
  std::string across = gbk("丰衣足食") + std::string(1, '\0') + gbk("已知");
  EXPECT_EQ(cache.search(db, path, {across}).outcome, SearchOutcome::noMatch);
}

TEST_F(BankCacheTest, EachKindOfNoiseFindsItsQuestionFirst) {
  struct Case {
    const char* keyword;
    int record;
  } cases[] = {
      {"己知函数f(x)在区间[O,l]上单调递增，求实数a的取值范围", 1},      // look-alikes
      {"下列关于细胞构的说法错误是", 4},                                // dropped characters
      {"中国古代的四大发明中，最早传入到欧洲的是哪个", 5},              // extra characters
      {"已知函数 f ( x ) 在\n区间 [0, 1] 上\r\n单调递减，求实数a", 2},  // blanks, line breaks
      {"WHICH of the following is not true about the passage", 7},      // case, punctuation
      {"第12题 下列关于细胞结构的说法正确的是", 3},                     // a question number
      {"中国古代四大发明中，最晚传入欧洲的是 A.造纸术 B.印刷术", 6},    // options after it
      {"四大发明中最晚传入欧洲的是", 6},                                // part of the question
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    auto result = expectSameAsFile({gbk(c.keyword), -1, SimilarMode::whenNoneHoldsIt});
    EXPECT_EQ(result.outcome, SearchOutcome::similarFound);
    ASSERT_FALSE(result.rows.empty());
    EXPECT_EQ(result.rows[0].recordNumber, c.record);
    EXPECT_EQ(result.rows[0].answer, "answer" + std::to_string(c.record));
  }
}

// Between two searches another program adds, deletes, purges or clears: the next search reads
// the bank again and answers as the file now does.
TEST_F(BankCacheTest, FollowsWhatAnotherProgramChangesBetweenSearches) {
  const std::string keyword = gbk("the passage");
  const SearchRequest passage{keyword};
  EXPECT_EQ(numbers(expectSameAsFile(passage)), (std::vector{7, 8}));
  EXPECT_EQ(numbers(expectSameAsFile(passage)), (std::vector{7, 8}));
  EXPECT_EQ(cache.loads(), 1u);

  ASSERT_TRUE(other.addRecord({gbk("Read the passage again"), "a"}));
  EXPECT_EQ(numbers(expectSameAsFile(passage)), (std::vector{7, 8, 11}));
  EXPECT_EQ(cache.loads(), 2u);

  // A deletion and an addition that leave the count as it was.
  ASSERT_TRUE(other.deleteRecord({7, {}}));
  ASSERT_TRUE(other.addRecord({gbk("Where is the passage from?"), "b"}));
  EXPECT_EQ(numbers(expectSameAsFile(passage)), (std::vector{7, 10, 11}));
  EXPECT_EQ(cache.loads(), 3u);

  ASSERT_TRUE(other.goTo(10) && other.markDeleted() && other.purgeDeleted());
  EXPECT_EQ(numbers(expectSameAsFile(passage)), (std::vector{7, 10}));

  other.closeDatabase();
  ASSERT_TRUE(other.clearDatabase(path, bank::bankSchema()));
  EXPECT_EQ(expectSameAsFile(passage).outcome, SearchOutcome::noMatch);
  ASSERT_TRUE(other.openDatabase(path));
  ASSERT_TRUE(other.addRecord({gbk("A passage"), "c"}));
  EXPECT_EQ(numbers(expectSameAsFile(passage)), (std::vector<int>{}));
  EXPECT_EQ(numbers(expectSameAsFile({gbk("passage")})), (std::vector{1}));
  EXPECT_EQ(cache.loads(), 6u);
}

TEST_F(BankCacheTest, BuildsTheSimilarIndexOnlyWhenLeftAloneAndKeepsTheResults) {
  const std::string keyword = gbk("自己动手，丰衣足食吧");
  const SearchRequest noisy{keyword, -1, SimilarMode::whenNoneHoldsIt};
  EXPECT_FALSE(cache.wantsSimilarIndex()) << "nothing kept yet";
  auto scanned = expectSameAsFile(noisy);
  ASSERT_TRUE(cache.wantsSimilarIndex());

  EXPECT_FALSE(cache.buildSimilarIndex([] { return true; }));
  EXPECT_FALSE(cache.hasSimilarIndex());
  EXPECT_TRUE(cache.buildSimilarIndex([] { return false; }));
  EXPECT_TRUE(cache.hasSimilarIndex());
  EXPECT_FALSE(cache.wantsSimilarIndex());
  auto indexed = expectSameAsFile(noisy);
  EXPECT_EQ(numbers(indexed), numbers(scanned));

  // Another number of questions looked at, or another content, wants another index.
  expectSameAsFile({noisy.keyword, 5, SimilarMode::whenNoneHoldsIt});
  EXPECT_TRUE(cache.wantsSimilarIndex());
  EXPECT_TRUE(cache.buildSimilarIndex([] { return false; }));
  ASSERT_TRUE(other.addRecord({gbk("自己动手，丰衣足食吧"), "d"}));
  EXPECT_EQ(numbers(expectSameAsFile(noisy)), (std::vector{11}));
  EXPECT_FALSE(cache.hasSimilarIndex());
}

}  // namespace
