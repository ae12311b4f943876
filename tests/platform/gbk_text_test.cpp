#include "platform/gbk_text.h"

#include <gtest/gtest.h>

namespace {

// 誠 is D5 5C, 乗 is 81 5C, 丄 is 81 41: their trail bytes are '\' and 'A'.
const std::string kCheng = "\xD5\x5C";
const std::string kJou = "\x81\x5C";
const std::string kShang = "\x81\x41";

TEST(GbkText, FindNeverMatchesATrailByte) {
  EXPECT_EQ(gbk::find(kCheng + "\\", "\\"), 2u);
  EXPECT_EQ(gbk::find(kJou, "\\"), gbk::npos);
  EXPECT_EQ(gbk::find(kShang + "A", "A"), 2u);
  EXPECT_EQ(gbk::find(kShang + "a", "A", 0, true), 2u);
  EXPECT_EQ(gbk::find("x" + kCheng, kCheng), 1u);
  // A match that would start on a trail byte is skipped.
  EXPECT_EQ(gbk::find("\xD5\x5C\x5C", "\\\\"), gbk::npos);
}

TEST(GbkText, ReplaceAndSplitStepWholeCharacters) {
  EXPECT_EQ(gbk::replaceAll(kCheng + "|" + kJou, "\\", "/"), kCheng + "|" + kJou);
  EXPECT_EQ(gbk::replaceAll("a|b" + kCheng, "|", "--"), "a--b" + kCheng);
  auto parts = gbk::split("a|" + std::string("\x81\x7C") + "|c", "|");
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[1], "\x81\x7C");
  EXPECT_EQ(gbk::split("", "|").size(), 1u);
}

TEST(GbkText, CaseFoldingLeavesDoubleByteCharactersAlone) {
  EXPECT_EQ(gbk::toLowerAscii("AB" + kShang + "C"), "ab" + kShang + "c");
  EXPECT_EQ(gbk::toUpperAscii("ab" + std::string("\x81\x61")), "AB\x81\x61");
}

TEST(GbkText, FitLengthNeverCutsACharacter) {
  std::string text = "ab" + kCheng + kJou;
  EXPECT_EQ(gbk::fitLength(text, 3), 2u);
  EXPECT_EQ(gbk::fitLength(text, 4), 4u);
  EXPECT_EQ(gbk::fitLength(text, 100), text.size());
  // A lone lead byte at the end counts as one character.
  EXPECT_EQ(gbk::fitLength("a\x81", 2), 2u);
}

TEST(GbkText, MatchesBeginAndEndOnCharacterBoundaries) {
  // A needle that ends in a lead byte must not match the first half of a character.
  EXPECT_EQ(gbk::find(kCheng, "\xD5"), gbk::npos);
  EXPECT_EQ(gbk::find("A" + kCheng, "A\xD5"), gbk::npos);
  EXPECT_EQ(gbk::replaceAll("a" + kCheng, "\xD5", "x"), "a" + kCheng);
  EXPECT_EQ(gbk::split("a" + kCheng + "b", "\xD5").size(), 1u);
  // ...though a lone lead byte at the very end is a character of its own.
  EXPECT_EQ(gbk::find("ab\xD5", "\xD5"), 2u);
}

TEST(GbkText, SingleByteCharactersAboveAscii) {
  // 0x80 (the euro sign) and 0xFF stand alone, so the byte after them is a character.
  EXPECT_EQ(gbk::find("\x80\\", "\\"), 1u);
  EXPECT_EQ(gbk::find("\xFF"
                      "A",
                      "a", 0, true),
            1u);
  EXPECT_EQ(gbk::toLowerAscii("\x80"
                              "AB"),
            "\x80"
            "ab");
  EXPECT_EQ(gbk::fitLength("\x80\x80", 1), 1u);
  // NUL is never a trail byte.
  EXPECT_EQ(gbk::charLength(std::string("\x81\0A", 3), 0), 1u);
  EXPECT_EQ(gbk::find(std::string("\x81\0A", 3), "A"), 2u);
}

}  // namespace
