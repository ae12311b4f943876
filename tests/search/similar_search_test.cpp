#include "search/similar_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp936.h"
#include "search/similar_index.h"

namespace {

using search::SimilarMatch;

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

// Questions in pairs that differ in one character, so that only the right one may win.
const char* const kQuestions[] = {
    "已知函数f(x)在区间[0,1]上单调递增，求实数a的取值范围",   // 0
    "已知函数f(x)在区间[0,1]上单调递减，求实数a的取值范围",   // 1
    "下列关于细胞结构的说法正确的是",                         // 2
    "下列关于细胞结构的说法错误的是",                         // 3
    "中国古代四大发明中，最早传入欧洲的是",                   // 4
    "中国古代四大发明中，最晚传入欧洲的是",                   // 5
    "Which of the following is NOT true about the passage?",  // 6
    "Which of the following is true about the passage?",      // 7
    "阅读下面的材料，回答问题。\n材料一：秦始皇统一六国后，推行郡县制。\n"
    "材料二：汉武帝时期，颁布推恩令，削弱诸侯王势力。\n根据材料，概括秦汉加强中央集权的措施"
    "。",  // 8
    "阅读下面的材料，回答问题。\n材料一：秦始皇统一六国后，推行分封制。\n"
    "材料二：汉武帝时期，颁布推恩令，削弱诸侯王势力。\n根据材料，概括秦汉加强中央集权的措施"
    "。",                                  // 9
    "自己动手，丰衣足食",                  // 10
    "自已动手，丰衣足食",                  // 11
    "下列各组词语中，没有错别字的一项是",  // 12
};

class SimilarSearchTest : public ::testing::Test {
 protected:
  SimilarSearchTest() {
    for (const char* question : kQuestions) texts_.push_back(gbk(question));
    for (const std::string& text : texts_) views_.push_back(text);
    index_ = search::SimilarIndex(views_);
  }

  // Both ways in must give the same answer; the test then looks at it once.
  std::vector<SimilarMatch> rank(const std::string& keyword) {
    auto scanned = search::rankSimilar(views_, keyword);
    auto indexed = index_.rank(views_, keyword);
    EXPECT_EQ(scanned.size(), indexed.size());
    for (std::size_t i = 0; i < scanned.size() && i < indexed.size(); ++i) {
      EXPECT_EQ(scanned[i].index, indexed[i].index);
      EXPECT_EQ(scanned[i].score, indexed[i].score);
    }
    for (std::size_t i = 0; i < scanned.size(); ++i) {
      EXPECT_GT(scanned[i].score, search::kSimilarThreshold);
      EXPECT_LE(scanned[i].score, 1.0);
      if (i) {
        EXPECT_LE(scanned[i].score, scanned[i - 1].score);
      }
    }
    return scanned;
  }

  // The keyword finds `expected` first, and strictly ahead of its one-character twin.
  void expectFirst(const char* keywordUtf8, std::size_t expected) {
    SCOPED_TRACE(keywordUtf8);
    auto results = rank(gbk(keywordUtf8));
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(results[0].index, expected);
    if (results.size() > 1) {
      EXPECT_LT(results[1].score, results[0].score);
    }
  }

  std::vector<std::string> texts_;
  std::vector<std::string_view> views_;
  search::SimilarIndex index_;
};

TEST_F(SimilarSearchTest, LookalikeSubstitutions) {
  expectFirst("己知函数f(x)在区间[O,l]上单调递增，求实数a的取值范围", 0);
  expectFirst("已知函数f(x)在区间[0,1]上单调递减，求实数α的取值范国", 1);
  expectFirst("Which of the fo11owing is N0T true about the passage?", 6);
  // A clean keyword prefers the question with the very character to its look-alike twin.
  expectFirst("自己动手丰衣足", 10);
  expectFirst("自已动手丰衣足", 11);
}

TEST_F(SimilarSearchTest, DroppedAndExtraCharacters) {
  expectFirst("已知函数f(x)在区间[0,1]上单调递增求实数a取值范", 0);
  expectFirst("下列关于细胞构的说法错误是", 3);
  expectFirst("中国古代的四大发明中，最早传入到欧洲的是哪个", 4);
  expectFirst("Which of the folowing is NOT tru about the pasage", 6);
}

TEST_F(SimilarSearchTest, BlanksWidthPunctuationAndCase) {
  expectFirst("已知函数 f ( x ) 在\n区间 [0, 1] 上\r\n单调递增，求实数 a 的取值范围", 0);
  expectFirst("已知函数Ｆ（Ｘ）在区间【０，１】上单调递减,求实数Ａ的取值范围。", 1);
  expectFirst("which of the following is not true about the passage", 6);
  expectFirst("“下列关于细胞结构的说法正确的是（　　）”", 2);
}

TEST_F(SimilarSearchTest, LeadingQuestionNumber) {
  for (const char* keyword :
       {"12. 下列关于细胞结构的说法错误的是", "12、下列关于细胞结构的说法错误的是",
        "(12)下列关于细胞结构的说法错误的是", "第12题 下列关于细胞结构的说法错误的是"})
    expectFirst(keyword, 3);
}

TEST_F(SimilarSearchTest, PartOfTheQuestionOrTheQuestionAndMore) {
  // One line of a long question, with a look-alike in it.
  expectFirst("材料一：秦始皇统一六国后，推行分封制", 9);
  expectFirst("材料一：秦始皇统一六国后，推行郡县制。材料二：汉武帝时期", 8);
  // Options trail the question; text of the question before it leads.
  expectFirst(
      "下列关于细胞结构的说法正确的是 A．线粒体是有氧呼吸的主要场所 B．核糖体有膜 "
      "C．中心体只在动物细胞中 D．叶绿体含有DNA",
      2);
  expectFirst(
      "……这是上一题的最后一行。\n5. 中国古代四大发明中，最晚传入欧洲的是\n"
      "A.造纸术 B.印刷术 C.火药 D.指南针",
      5);
}

TEST_F(SimilarSearchTest, CombinedNoise) {
  expectFirst("7．己知函数 Ｆ（x）在区\n间［O，l］上单调递减 ，求实数A取值范围\nA.a>1 B.a<0", 1);
  expectFirst("第3题 WHICH of the fol1owing  is NOT\ntrue ab0ut the passage ? A. yes B. no", 6);
}

TEST_F(SimilarSearchTest, AKeywordWithNothingToFindGivesNothing) {
  std::string leadBytes(4096, '\x81');
  for (const std::string& keyword :
       {std::string(), std::string("   \r\n\t"), gbk("，。！？（）【】……"), std::string("a"),
        gbk("已"), std::string("\x81"), leadBytes, gbk("今天天气很好，我们去公园散步吧")}) {
    EXPECT_TRUE(rank(keyword).empty()) << cp936::toUtf8(keyword);
    EXPECT_FALSE(search::SimilarScan(keyword).results().size());
  }
  EXPECT_FALSE(search::SimilarScan("").usable());
}

TEST_F(SimilarSearchTest, HugeKeywords) {
  auto results = rank(std::string(1 << 20, '\n') + gbk(kQuestions[3]) + std::string(1 << 20, ' '));
  ASSERT_FALSE(results.empty());
  EXPECT_EQ(results[0].index, 3u);
  std::string mixed;
  for (int i = 0; i < 10000; ++i) mixed += gbk(kQuestions[i % 13]);
  for (const SimilarMatch& match : rank(mixed)) EXPECT_LT(match.index, texts_.size());
}

TEST_F(SimilarSearchTest, OptionsLimitTheResults) {
  std::string keyword = gbk("已知函数在区间上单调，求实数的取值范围");
  auto all = search::rankSimilar(views_, keyword, {.maxResults = 10, .threshold = 0});
  ASSERT_GE(all.size(), 2u);
  auto one = search::rankSimilar(views_, keyword, {.maxResults = 1, .threshold = 0});
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].index, all[0].index);
  EXPECT_TRUE(search::rankSimilar(views_, keyword, {.maxResults = 10, .threshold = 1}).empty());
}

// The stem of a keyword finds a question stored without options, yet the options still tell
// apart questions that share a stem.
TEST(SimilarOptionsTest, OptionsTellQuestionsWithOneStemApart) {
  std::vector<std::string> texts = {
      gbk("关于细胞呼吸，下列说法正确的是 A．只在线粒体中进行 B．都需要氧气参与"),
      gbk("关于细胞呼吸，下列说法正确的是 A．都能产生ATP B．无氧呼吸不产生二氧化碳"),
      gbk("关于光合作用，下列说法正确的是")};
  std::vector<std::string_view> views(texts.begin(), texts.end());
  auto results = search::rankSimilar(
      views, gbk("5．关于细胞呼吸,下列说法正确的是（ ）\nA.都能产生ATP\nB.无氧呼吸不产生二氧化炭"));
  ASSERT_GE(results.size(), 2u);
  EXPECT_EQ(results[0].index, 1u);
  EXPECT_EQ(results[1].index, 0u);

  views.erase(views.begin(), views.begin() + 2);
  results = search::rankSimilar(views, gbk("关于光合作用，下列说法正确的是 A.需要光 B.只在白天"));
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].index, 0u);
}

// A question as the local engine reads a selection of it: number, score and option markers
// misread. It finds its own question ahead of its one-word twin.
TEST(SimilarRecognisedTest, MisreadPunctuationFindsTheRightQuestion) {
  std::vector<std::string> texts = {
      gbk("1．（ 6分）下列叙述错误的是（ ）A．DNA与ATP中所含元素的种类相同 "
          "B．一个tRNA分子中只有一个反密码子"),
      gbk("1．（ 6分）下列叙述正确的是（ ）A．DNA与ATP中所含元素的种类相同 "
          "B．一个tRNA分子中只有一个反密码子")};
  std::vector<std::string_view> views(texts.begin(), texts.end());
  auto results = search::rankSimilar(
      views, gbk("1. ( 653)下列叙述错误的是〈 "
                 ")A-DNA与ATP中所含元素的种类相同B-一个tRNA分子中只有一个反密码子"));
  ASSERT_FALSE(results.empty());
  EXPECT_EQ(results[0].index, 0u);
  EXPECT_GT(results[0].score, 0.99);
}

// A scan reports questions by the numbers the caller gave them, such as record numbers.
TEST(SimilarScanTest, KeepsTheCallersNumbers) {
  search::SimilarScan scan(gbk("光合作用的场所"));
  ASSERT_TRUE(scan.usable());
  scan.add(7, gbk("呼吸作用的场所是线粒体"));
  scan.add(42, gbk("光合作用的场所是叶绿体"));
  auto results = scan.results();
  ASSERT_FALSE(results.empty());
  EXPECT_EQ(results[0].index, 42u);
}

TEST(SimilarTiesTest, GoToTheShorterQuestionThenTheLowerIndex) {
  std::vector<std::string> texts = {gbk("化学反应速率的影响因素有哪些，请举例说明"),
                                    gbk("化学反应速率的影响因素"), gbk("化学反应速率的影响因素")};
  std::vector<std::string_view> views(texts.begin(), texts.end());
  auto results = search::rankSimilar(views, gbk("化学反应速率的影响因素 "));
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].index, 1u);
  EXPECT_EQ(results[1].index, 2u);
  EXPECT_EQ(results[2].index, 0u);
  EXPECT_EQ(results[0].score, 1.0);
}

// The index answers for the texts it was built from; handed another number of texts it
// scans them instead of reading past its own lists.
TEST(SimilarIndexTest, OtherTextsAreScanned) {
  std::vector<std::string> texts = {gbk("光合作用的场所是叶绿体"), gbk("呼吸作用的场所是线粒体")};
  std::vector<std::string_view> views(texts.begin(), texts.end());
  search::SimilarIndex index(std::span<const std::string_view>(views).first(1));
  auto results = index.rank(views, gbk("呼吸作用场所是线粒休"));
  ASSERT_FALSE(results.empty());
  EXPECT_EQ(results[0].index, 1u);
  EXPECT_TRUE(search::SimilarIndex().rank({}, gbk("呼吸作用")).empty());
}

// Questions split between scans, on two threads or by hand, rank as one pass over them all:
// here far more questions are near the keyword than any scan keeps as candidates.
TEST(SimilarScanTest, SplitScansRankAsOne) {
  std::vector<std::string> texts;
  for (int i = 0; i < 24000; ++i) texts.push_back(gbk(kQuestions[i % 13]) + std::to_string(i % 97));
  std::vector<std::string_view> views(texts.begin(), texts.end());
  const std::string keyword = gbk("己知函数f(x)在区间[O,l]上单调递增，求实数a的取值范围5");

  auto expectSame = [](const std::vector<SimilarMatch>& got,
                       const std::vector<SimilarMatch>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].index, want[i].index);
      EXPECT_EQ(got[i].score, want[i].score);
    }
  };
  auto indexed = search::SimilarIndex(views).rank(views, keyword);
  ASSERT_EQ(indexed.size(), search::kMaxSimilarResults);
  expectSame(search::rankSimilar(views, keyword), indexed);

  search::SimilarScan most(keyword), rest(keyword);
  for (std::size_t i = 0; i < views.size(); ++i) (i % 3 ? most : rest).add(i, views[i]);
  rest.absorb(most);
  expectSame(rest.results(), indexed);
}

}  // namespace
