#include "search/text_normalizer.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp936.h"
#include "search/lookalike_table.h"

namespace {

using search::normalizeText;
using search::NormalUnit;

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

// The folded characters of a normalised text, as UTF-8.
std::string folded(const std::vector<NormalUnit>& units) {
  std::u16string chars;
  for (NormalUnit unit : units) chars += search::unitChar(unit);
  return cp936::toUtf8(cp936::fromUtf16(chars));
}

std::string normalized(const char* utf8) { return folded(normalizeText(gbk(utf8))); }

TEST(TextNormalizerTest, FoldsWidthAndCaseAndDropsBlanksAndPunctuation) {
  EXPECT_EQ(normalized("Ｈｅｌｌｏ，\u3000World！\r\n  ＡＢＣ１２３"), "helloworldabc123");
  EXPECT_EQ(normalized("“下列说法，正确的是（    ）”……\t【】《》、。"), "下列说法正确的是");
  EXPECT_EQ(normalized("ΑΒΓ ⅱ"), "αβγⅡ");
  // Signs that carry meaning in a formula stay; minus signs become one hyphen.
  EXPECT_EQ(normalized("f(x) = x^2 + 2x － 1 ＞ 0, 50% < y﹣z"), "fx=x^2+2x-1>050%<y-z");
}

TEST(TextNormalizerTest, StepsWholeGbkCharacters) {
  // 誠 (D5 5C), 乗 (81 5C) and 丄 (81 41) end in bytes that look like '\' and 'A'.
  EXPECT_EQ(normalized("誠乗丄A"), "誠乗丄a");
  // A lone lead byte at the end or before NUL, and a pair with no character, are dropped.
  EXPECT_TRUE(normalizeText("\x81").empty());
  EXPECT_EQ(folded(normalizeText(std::string("ab\x81\0c", 5))), "abc");
  EXPECT_TRUE(normalizeText("\x81\x30").empty());
  EXPECT_TRUE(normalizeText("").empty());
}

TEST(TextNormalizerTest, PairsLookalikesByGroup) {
  auto units = normalizeText(gbk("己已巳未末0OｏlI1日曰"));
  ASSERT_EQ(units.size(), 13u);
  EXPECT_NE(units[0], units[1]);
  EXPECT_EQ(search::unitGroup(units[0]), search::unitGroup(units[1]));
  EXPECT_EQ(search::unitGroup(units[1]), search::unitGroup(units[2]));
  EXPECT_EQ(search::unitGroup(units[3]), search::unitGroup(units[4]));
  EXPECT_NE(search::unitGroup(units[2]), search::unitGroup(units[3]));
  EXPECT_EQ(units[6], units[7]);  // "O" and "ｏ" fold to the same letter
  EXPECT_EQ(search::unitGroup(units[5]), search::unitGroup(units[6]));
  EXPECT_EQ(search::unitGroup(units[8]), search::unitGroup(units[10]));
  EXPECT_EQ(search::unitGroup(units[11]), search::unitGroup(units[12]));
}

// Every member of the table must reach it: written in folded form and not dropped as white
// space or punctuation, or its group would never be used.
TEST(TextNormalizerTest, EveryLookalikeIsKeptAsWritten) {
  for (const auto& entry : search::lookalikeEntries()) {
    std::string text = cp936::fromUtf16(std::u16string(1, entry.member));
    auto units = normalizeText(text);
    ASSERT_EQ(units.size(), 1u) << "member U+" << std::hex << int(entry.member);
    EXPECT_EQ(search::unitChar(units[0]), entry.member);
    EXPECT_EQ(search::unitGroup(units[0]), entry.group);
  }
}

TEST(TextNormalizerTest, DropsALeadingQuestionNumber) {
  const std::string body = normalized("已知函数");
  for (const char* text :
       {"12. 已知函数", "12．已知函数", "12、已知函数", " 12 ,已知函数", "(12)已知函数",
        "（12）、已知函数", "【3】已知函数", "[3]已知函数", "第12题 已知函数", "第 12 题：已知函数",
        "三、已知函数", "7)已知函数", "\r\n 12.\n已知函数"})
    EXPECT_EQ(normalized(text), body) << text;
  // Only a number that stands first, with its separator.
  EXPECT_EQ(normalized("1.5倍"), "15倍");
  EXPECT_EQ(normalized("1,000人"), "1000人");
  EXPECT_EQ(normalized("12已知"), "12已知");
  EXPECT_EQ(normalized("2H2O"), "2h2o");
  EXPECT_EQ(normalized("12345. 已知"), "12345已知");
  EXPECT_EQ(normalized("已知 12. 函数"), "已知12函数");
  EXPECT_EQ(normalized("第12章"), "第12章");
  EXPECT_EQ(normalized("一个三角形"), "一个三角形");
  EXPECT_EQ(search::questionNumberLength(gbk("(12) x")), 5u);
  EXPECT_EQ(search::questionNumberLength("12."), 3u);
}

// The punctuation text recognition gets wrong reads as what was on the screen.
TEST(TextNormalizerTest, FoldsHowRecognitionMisreadsPunctuation) {
  // A full stop read as a hyphen is dropped before wide text; a minus in a formula stays.
  EXPECT_EQ(normalized("A-叶绿体B-线粒体"), normalized("A．叶绿体B．线粒体"));
  EXPECT_EQ(normalized("之地”-回答"), "之地回答");
  EXPECT_EQ(normalized("x-1 > -2 且 y -  z"), "x-1>-2且y-z");
  EXPECT_EQ(normalized("差为-"), "差为-");
  // A question number ending in a misread full stop, and a score after it, however read.
  const std::string body = normalized("下列叙述错误的是");
  for (const char* text :
       {"12-下列叙述错误的是", "12。下列叙述错误的是", "1．（ 6分）下列叙述错误的是",
        "1. ( 653)下列叙述错误的是", "9.〈8分)下列叙述错误的是", "7. (49)下列叙述错误的是",
        "3、【10 分】下列叙述错误的是"})
    EXPECT_EQ(normalized(text), body) << text;
  // Only right after a question number, and only a short number in brackets.
  EXPECT_EQ(normalized("1-2倍"), "1-2倍");
  EXPECT_EQ(normalized("(6分)下列"), "6分下列");
  EXPECT_EQ(normalized("1. (x)下列"), "x下列");
  EXPECT_EQ(normalized("1. (12345)下列"), "12345下列");
}

TEST(TextNormalizerTest, StopsAtTheLimit) {
  std::string text(5000, 'a');
  EXPECT_EQ(normalizeText(text).size(), search::kMaxNormalUnits);
  EXPECT_EQ(normalizeText(text, 7).size(), 7u);
}

}  // namespace

namespace {

std::size_t optionsAt(const char* utf8) { return search::trailingOptionsStart(gbk(utf8)); }

TEST(TrailingOptionsTest, FindsTheFirstOptionAThatABFollows) {
  EXPECT_EQ(optionsAt("正确的是 A．甲 B．乙 C．丙"), gbk("正确的是 ").size());
  EXPECT_EQ(optionsAt("正确的是\nＡ、甲\nＢ、乙"), gbk("正确的是\n").size());
  EXPECT_EQ(optionsAt("正确的是（ A ）甲（B）乙"), gbk("正确的是").size());
  EXPECT_EQ(optionsAt("A.甲 B.乙"), 0u);
  // Markers whose full stop was read as a hyphen or an ideographic one.
  EXPECT_EQ(optionsAt("正确的是 A-甲 B。乙 C．丙"), gbk("正确的是 ").size());
  EXPECT_EQ(optionsAt("正确的是 A,甲 B，乙 C．丙"), gbk("正确的是 ").size());
  EXPECT_EQ(optionsAt("正确的是A:甲A:乙B:丙"), gbk("正确的是A:甲").size());
  // Options of an earlier question, then this question with its own.
  EXPECT_EQ(
      optionsAt("A.甲 B.乙 C.丙 D.丁\n"
                "5. 这是一道足够长的题目，它的题干超过八十个字，这是一道足够长的题目，它的题干超过"
                "八十个字，这是一道足够长的题目，它的题干超过八十个字。\nA.一 B.二"),
      gbk("A.甲 B.乙 C.丙 D.丁\n"
          "5. 这是一道足够长的题目，它的题干超过八十个字，这是一道足够长的题目，它的题干超过"
          "八十个字，这是一道足够长的题目，它的题干超过八十个字。\n")
          .size());
}

TEST(TrailingOptionsTest, LeavesOtherLettersAlone) {
  // Options with a whole question after them do not trail it.
  std::string notTrailing = "A.甲 B.乙\n";
  for (int i = 0; i < 9; ++i) notTrailing += "这是下一道题的题干。";
  EXPECT_EQ(optionsAt(notTrailing.c_str()), std::string::npos);
  for (const char* text : {"正确的是 A．甲", "B．乙 A．甲", "DNA.B.", "a. b. c.",
                           "Plan A is better than plan B", "grades A, B", "", "\x81"})
    EXPECT_EQ(optionsAt(text), std::string::npos) << text;
}

}  // namespace
