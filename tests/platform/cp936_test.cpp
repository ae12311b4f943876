#include "platform/cp936.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/utf8.h"

namespace {

using namespace std::string_literals;

TEST(Cp936, DoubleByteCharactersWithAsciiLookingTrails) {
  // 誠 D5 5C, 乗 81 5C and 丄 81 41: the trail bytes are '\' and 'A'.
  EXPECT_EQ(cp936::toUtf16("\xD5\x5C\x81\x5C\x81\x41"), u"誠乗丄");
  EXPECT_EQ(cp936::fromUtf16(u"誠乗丄"), "\xD5\x5C\x81\x5C\x81\x41");
  EXPECT_EQ(cp936::toUtf8("\xC4\xE3\xBA\xC3"), "你好");
  EXPECT_EQ(cp936::fromUtf8("题库 A1"), "\xCC\xE2\xBF\xE2 A1");
}

TEST(Cp936, SingleBytesOutsideAsciiAsWindowsHasThem) {
  EXPECT_EQ(cp936::toUtf16("\x80"), u"\u20AC");
  EXPECT_EQ(cp936::toUtf16("\xFF"), u"\uF8F5");
  EXPECT_EQ(cp936::fromUtf16(u"\u20AC\uF8F5"), "\x80\xFF");
  // A2E3 is the euro sign in GB18030 but a private-use character in code page 936.
  EXPECT_EQ(cp936::decodePair(0xA2, 0xE3), 0xE76C);
}

TEST(Cp936, UserDefinedAreasMapToPrivateUse) {
  EXPECT_EQ(cp936::toUtf16("\xAA\xA1\xAF\xFE"), u"\uE000\uE233");
  EXPECT_EQ(cp936::toUtf16("\xF8\xA1\xFE\xFE"), u"\uE234\uE4C5");
  EXPECT_EQ(cp936::toUtf16("\xA1\x40\xA7\xA0"), u"\uE4C6\uE765");
  EXPECT_EQ(cp936::toUtf16("\xA2\xAB\xA9\xFE"), u"\uE766\uE80F");
  EXPECT_EQ(cp936::fromUtf16(u"\uE000\uE4C5\uE766\uE864"), "\xAA\xA1\xFE\xFE\xA2\xAB\xFE\xA0");
}

TEST(Cp936, LeadByteWithoutAValidTrail) {
  EXPECT_EQ(cp936::toUtf16("\x81"), u"?");
  EXPECT_EQ(cp936::toUtf16("A\xD5"), u"A?");
  // NUL is never taken as a trail; any other byte is, even when the pair means nothing.
  EXPECT_EQ(cp936::toUtf16("\x81\0A"s), u"?\0A"s);
  EXPECT_EQ(cp936::toUtf16("\x81 A"), u"?A");
  EXPECT_EQ(cp936::toUtf16("\x81\x7F"
                           "A"),
            u"?A");
  EXPECT_EQ(cp936::toUtf16("\x81\xFF"
                           "A"),
            u"?A");
  EXPECT_EQ(cp936::toUtf16("\x81\x81\x41"), u"\u4E96A");
}

TEST(Cp936, UnmappableUnitsBecomeQuestionMarks) {
  EXPECT_EQ(cp936::fromUtf16(u"\u00FF\u30FB\u00A5x"), "???x");
  EXPECT_EQ(cp936::fromUtf16(u"a\0b"s), "a\0b"s);
  // Surrogates convert unit by unit, so a character outside the BMP gives two.
  EXPECT_EQ(cp936::fromUtf16(u"\U0001F600"), "??");
  EXPECT_EQ(cp936::fromUtf16(std::u16string{0xD800, u'A', 0xDC00}), "?A?");
  EXPECT_EQ(cp936::fromUtf8("\xF0\x9F\x98\x80."), "??.");
  EXPECT_EQ(cp936::fromUtf8("\xC0\xAF"
                            "A"),
            "??A");
}

TEST(Cp936, EveryMappedPairRoundTrips) {
  int mapped = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
    for (unsigned trail = 0; trail < 0x100; ++trail) {
      char16_t unit = cp936::decodePair(lead, trail);
      bool isTrail = trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
      ASSERT_EQ(unit != 0, isTrail) << std::hex << lead << ' ' << trail;
      if (!unit) continue;
      ++mapped;
      ASSERT_EQ(cp936::encodeUnit(unit), lead << 8 | trail) << std::hex << lead << ' ' << trail;
    }
  EXPECT_EQ(mapped, 126 * 190);
}

TEST(Cp936, EveryEncodableUnitDecodesBack) {
  int encodable = 0;
  for (unsigned u = 0; u < 0x10000; ++u) {
    std::u16string one(1, char16_t(u));
    std::string bytes = cp936::fromUtf16(one);
    if (bytes == "?" && u != '?') continue;
    ++encodable;
    ASSERT_EQ(cp936::toUtf16(bytes), one) << std::hex << u;
  }
  EXPECT_EQ(encodable, 128 + 2 + 126 * 190);
}

TEST(Cp936, ToUtf8GoesAsThroughUtf16ForEveryByteAndPair) {
  // Every single byte and every two-byte sequence, alone, after ASCII and before a NUL.
  for (unsigned first = 0; first < 256; ++first) {
    for (unsigned second = 0; second < 256; ++second) {
      std::string pair{char(first), char(second)};
      for (const std::string& text : {pair, "a" + pair, pair + '\0', pair.substr(0, 1)})
        ASSERT_EQ(cp936::toUtf8(text), utf8::fromUtf16(cp936::toUtf16(text)))
            << first << " " << second;
    }
  }
}

TEST(Utf8, ValidTextRoundTrips) {
  std::string text = "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xEF\xBF\xBF";
  std::u16string wide = utf8::toUtf16(text);
  EXPECT_EQ(wide, u"A\u00E9\u4E2D\U0001F600\uFFFF");
  EXPECT_EQ(utf8::fromUtf16(wide), text);
}

TEST(Utf8, InvalidSequencesBecomeOneReplacementPerMaximalSubpart) {
  EXPECT_EQ(utf8::toUtf16("\xC0\x80"), u"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(utf8::toUtf16("\xE4\xB8"
                          "A"),
            u"\uFFFDA");                                            // truncated
  EXPECT_EQ(utf8::toUtf16("\xE4\xB8"), u"\uFFFD");                  // truncated at the end
  EXPECT_EQ(utf8::toUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(utf8::toUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // > U+10FFFF
  EXPECT_EQ(utf8::toUtf16("\xF0\x9F\x98"
                          "x"),
            u"\uFFFDx");
  EXPECT_EQ(utf8::toUtf16("\xFF\xFE"), u"\uFFFD\uFFFD");
}

TEST(Utf8, LoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(utf8::fromUtf16(std::u16string{0xDC00, u'a', 0xD800}),
            "\xEF\xBF\xBD"
            "a\xEF\xBF\xBD");
}

}  // namespace
