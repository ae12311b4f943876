#include "search/bank_search.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "bank/question_bank.h"
#include "platform/cp936.h"
#include "platform/little_endian.h"
#include "search/similar_search.h"

namespace {

using search::occursIn;
using search::SearchOutcome;

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

TEST(OccursInTest, MatchesOnlyAtCharacterBoundaries) {
  EXPECT_TRUE(occursIn(gbk("中国的首都"), gbk("首都")));
  EXPECT_TRUE(occursIn("abc", ""));
  EXPECT_FALSE(occursIn("", "a"));
  EXPECT_FALSE(occursIn("ab", "abc"));
  // 誠 is D5 5C and 乗 is 81 5C: their trail bytes are '\', which a keyword "\" never matches.
  EXPECT_FALSE(occursIn(gbk("誠乗"), "\\"));
  EXPECT_TRUE(occursIn(gbk("誠\\"), "\\"));
  // 丄 is 81 41: the 'A' inside it is no letter A.
  EXPECT_FALSE(occursIn(gbk("丄"), "A"));
  EXPECT_TRUE(occursIn(gbk("丄A"), "A"));
  // A keyword made of the second byte of one character and the first of the next.
  std::string text = gbk("中国");  // D6 D0 B9 FA
  EXPECT_FALSE(occursIn(text, text.substr(1, 2)));
  EXPECT_TRUE(occursIn(gbk("国中国"), text));
  // A candidate inside a character does not hide a later real one.
  EXPECT_FALSE(occursIn(gbk("国国"), "\xFA\xB9"));
  EXPECT_TRUE(occursIn(gbk("乗\\乗"), "\\"));
}

TEST(OccursInTest, IsCaseSensitiveAndKeepsSpaces) {
  EXPECT_FALSE(occursIn("capital of china", "China"));
  EXPECT_TRUE(occursIn("capital of China", "China"));
  EXPECT_FALSE(occursIn("China is big", " China"));
  EXPECT_TRUE(occursIn("of China", " China"));
}

// Texts long enough for the matching that looks at many places at once, and short ones.
TEST(OccursInTest, AgreesWithAWalkOverEveryCharacter) {
  std::mt19937 random(7);
  const char alphabet[] = {'a', 'A', '\\', '\x81', '\x5C', '\xB9', '\xFA', '\x41'};
  for (int round = 0; round < 20000; ++round) {
    std::string q, k;
    for (int i = random() % (round % 2 ? 12 : 80); i > 0; --i)
      q += alphabet[random() % sizeof alphabet];
    for (int i = 1 + random() % 3; i > 0; --i) k += alphabet[random() % sizeof alphabet];
    bool expected = false;
    for (std::size_t pos = 0; pos < q.size() && !expected;
         pos += static_cast<unsigned char>(q[pos]) >= 0x80 ? 2 : 1)
      expected = q.compare(pos, k.size(), k) == 0 && pos + k.size() <= q.size();
    ASSERT_EQ(occursIn(q, k), expected) << "question " << q << " keyword " << k;
  }
}

TEST(OccursInTest, AKeywordWithAZeroByteIsInNoText) {
  std::string zero(1, '\0');
  EXPECT_FALSE(occursIn(std::string("ab\0cd", 5), zero));
  EXPECT_FALSE(occursIn(std::string(40, 'a') + zero + "b", "a" + zero + "b"));
}

class BankSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device seed;
    dir = std::filesystem::temp_directory_path() /
          ("quorvix-search-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(dir);
    path = dir / "bank.edb";
    ASSERT_TRUE(db.createDatabase(path, bank::bankSchema()));
    ASSERT_TRUE(db.openDatabase(path));
    for (auto [q, a] : {std::pair{"中国的首都是哪里？", "北京"},
                        {"日本的首都是哪里？", "东京"},
                        {"答案里才有首都", "首都不在题目里"},
                        {"Capital of China", "Beijing"},
                        {"中国最长的河流", "长江"}})
      ASSERT_TRUE(db.addRecord({gbk(q), gbk(a)}));
    db.closeDatabase();
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::vector<int> numbers(const search::SearchResult& result) {
    std::vector<int> out;
    for (const auto& row : result.rows) out.push_back(row.recordNumber);
    return out;
  }

  std::filesystem::path dir, path;
  bank::RecordDatabase db;
};

TEST_F(BankSearchTest, FindsQuestionsInRecordOrderAndClosesTheBank) {
  auto result = search::searchBank(db, path, gbk("首都"));
  EXPECT_EQ(result.outcome, SearchOutcome::found);
  EXPECT_THAT(numbers(result), ::testing::ElementsAre(1, 2, 3));
  EXPECT_EQ(result.rows[1].question, gbk("日本的首都是哪里？"));
  EXPECT_EQ(result.rows[1].answer, gbk("东京"));
  EXPECT_FALSE(db.isOpen(path));

  result = search::searchBank(db, path, gbk("北京"));  // answers are never searched
  EXPECT_EQ(result.outcome, SearchOutcome::noMatch);
  EXPECT_TRUE(result.rows.empty());
  EXPECT_FALSE(db.isOpen(path));
}

TEST_F(BankSearchTest, UsesTheBankLeftOpenAndMakesItCurrent) {
  auto other = dir / "other.edb";
  ASSERT_TRUE(db.createDatabase(other, bank::bankSchema()));
  ASSERT_TRUE(db.openDatabase(path));
  ASSERT_TRUE(db.openDatabase(other));  // now current
  auto result = search::searchBank(db, path, "China");
  EXPECT_THAT(numbers(result), ::testing::ElementsAre(4));
  EXPECT_FALSE(db.isOpen(path));
  EXPECT_TRUE(db.isOpen(other));
}

TEST_F(BankSearchTest, SpacesOnlyAndUnopenableBanksChangeNothing) {
  auto result = search::searchBank(db, path, "   ");
  EXPECT_EQ(result.outcome, SearchOutcome::emptyKeyword);
  EXPECT_EQ(search::searchBank(db, path, "").outcome, SearchOutcome::emptyKeyword);

  ASSERT_TRUE(db.openDatabase(path));
  search::searchBank(db, path, " ");
  EXPECT_TRUE(db.isOpen(path)) << "an empty keyword stops before the bank is touched";
  db.closeDatabase();

  result = search::searchBank(db, dir / "missing.edb", "x");
  EXPECT_EQ(result.outcome, SearchOutcome::openFailed);
}

TEST_F(BankSearchTest, LooksAtNoMoreThanTheCountReadAtStartAndRenumbersAfterDeletion) {
  EXPECT_THAT(numbers(search::searchBank(db, path, gbk("中国"), 4)), ::testing::ElementsAre(1));
  EXPECT_THAT(numbers(search::searchBank(db, path, gbk("中国"), 9)), ::testing::ElementsAre(1, 5));

  ASSERT_TRUE(db.openDatabase(path));
  ASSERT_TRUE(db.goTo(2) && db.markDeleted() && db.purgeDeleted());
  db.closeDatabase();
  // The deleted question is gone and the later records moved up by one.
  auto result = search::searchBank(db, path, gbk("首都"), 5);
  EXPECT_THAT(numbers(result), ::testing::ElementsAre(1, 2));
  EXPECT_EQ(result.rows[1].question, gbk("答案里才有首都"));
  EXPECT_THAT(numbers(search::searchBank(db, path, gbk("河流"), 5)), ::testing::ElementsAre(4));
}

// With the similar fallback asked for, questions holding the keyword are all there is, byte for
// byte; the most similar questions come only when none holds it, or when asked for instead.
TEST_F(BankSearchTest, SimilarQuestionsNeverReplaceQuestionsHoldingTheKeyword) {
  using search::SimilarMode;
  auto exact = search::searchBank(db, path, gbk("首都是哪里"));
  auto withFallback =
      search::searchBank(db, path, {gbk("首都是哪里"), -1, SimilarMode::whenNoneHoldsIt});
  EXPECT_EQ(withFallback.outcome, SearchOutcome::found);
  ASSERT_EQ(withFallback.rows.size(), exact.rows.size());
  for (std::size_t i = 0; i < exact.rows.size(); ++i) {
    EXPECT_EQ(withFallback.rows[i].recordNumber, exact.rows[i].recordNumber);
    EXPECT_EQ(withFallback.rows[i].serial, exact.rows[i].serial);
    EXPECT_EQ(withFallback.rows[i].question, exact.rows[i].question);
    EXPECT_EQ(withFallback.rows[i].answer, exact.rows[i].answer);
    EXPECT_EQ(withFallback.rows[i].score, 1);
  }

  // Recognised text: a half-width question mark and a question number.
  std::string noisy = gbk("2. 日本的首都是哪里?");
  EXPECT_EQ(search::searchBank(db, path, noisy).outcome, SearchOutcome::noMatch);
  auto similar = search::searchBank(db, path, {noisy, -1, SimilarMode::whenNoneHoldsIt});
  EXPECT_EQ(similar.outcome, SearchOutcome::similarFound);
  ASSERT_FALSE(similar.rows.empty());
  EXPECT_EQ(similar.rows[0].recordNumber, 2);
  EXPECT_EQ(similar.rows[0].serial, 2);
  EXPECT_EQ(similar.rows[0].answer, gbk("东京"));
  EXPECT_GT(similar.rows[0].score, search::kSimilarThreshold);
  EXPECT_FALSE(db.isOpen(path));

  auto instead = search::searchBank(db, path, {gbk("首都是哪里"), -1, SimilarMode::always});
  EXPECT_EQ(instead.outcome, SearchOutcome::similarFound);
  // The record limit holds for the similar questions too.
  auto limited = search::searchBank(db, path, {noisy, 1, SimilarMode::whenNoneHoldsIt});
  for (const auto& row : limited.rows) EXPECT_EQ(row.recordNumber, 1);

  EXPECT_EQ(
      search::searchBank(db, path, {gbk("月球的背面"), -1, SimilarMode::whenNoneHoldsIt}).outcome,
      SearchOutcome::noMatch);
}

// A large bank is read in two halves at once: the rows still come in record order, each with
// its own texts, those on both sides of the middle included.
TEST_F(BankSearchTest, ALargeBankGivesItsRowsInRecordOrder) {
  constexpr int kRecords = 30001;
  std::string bytes(260, '\0');
  std::ifstream(path, std::ios::binary).read(bytes.data(), 260);
  le::putI32(&bytes[16], kRecords);
  le::putI32(&bytes[20], kRecords + 1);
  std::vector<int> expected;
  for (int i = 1; i <= kRecords; ++i) {
    std::string record(2004, '\0');
    le::putI32(record.data(), i);
    bool holds = i % 7 == 0 || (i >= 14995 && i <= 15005);
    std::string question = gbk(holds ? "长江题" : "黄河题") + std::to_string(i);
    record.replace(4, question.size(), question);
    record.replace(1004, std::to_string(i).size(), std::to_string(i));
    bytes += record;
    if (holds) expected.push_back(i);
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), std::streamsize(bytes.size()));

  auto result = search::searchBank(db, path, gbk("长江"));
  ASSERT_EQ(numbers(result), expected);
  for (const auto& row : result.rows) {
    EXPECT_EQ(row.serial, row.recordNumber);
    EXPECT_EQ(row.question, gbk("长江题") + std::to_string(row.recordNumber));
    EXPECT_EQ(row.answer, std::to_string(row.recordNumber));
  }
  auto similar =
      search::searchBank(db, path, {gbk("长江题15001"), -1, search::SimilarMode::always});
  ASSERT_FALSE(similar.rows.empty());
  EXPECT_EQ(similar.rows[0].recordNumber, 15001);
  EXPECT_EQ(similar.rows[0].answer, "15001");
}

}  // namespace
