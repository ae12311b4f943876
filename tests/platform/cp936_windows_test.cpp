// Proves the codec converts exactly as the system's code page 936 does: every single byte,
// every byte pair, and every UTF-16 unit of the BMP, compared one by one and in bulk.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/cp936.h"
#include "platform/gbk_text.h"
#include "platform/utf8.h"

namespace {

std::u16string systemToUtf16(UINT codePage, const std::string& bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
  std::wstring out(std::size_t(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), out.data(), n);
  return std::u16string(out.begin(), out.end());
}

std::string systemFromUtf16(const std::u16string& text) {
  if (text.empty()) return {};
  std::wstring wide(text.begin(), text.end());
  int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), nullptr, 0,
                              "?", nullptr);
  std::string out(std::size_t(n), '\0');
  WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), out.data(), n, "?",
                      nullptr);
  return out;
}

std::string hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char b : bytes) std::snprintf(buf, sizeof buf, "%02X ", b), out += buf;
  return out;
}

std::string hex(const std::u16string& units) {
  std::string out;
  char buf[6];
  for (char16_t u : units) std::snprintf(buf, sizeof buf, "%04X ", unsigned(u)), out += buf;
  return out;
}

// Counts mismatches and reports the first few, so one fault does not flood the log.
class Mismatches {
 public:
  template <typename In, typename Out>
  void check(const In& input, const Out& ours, const Out& system) {
    if (ours == system) return;
    if (++count_ <= 10)
      ADD_FAILURE() << "input " << hex(input) << ": ours " << hex(ours) << ", system "
                    << hex(system);
  }
  ~Mismatches() { EXPECT_EQ(count_, 0); }

 private:
  int count_ = 0;
};

TEST(Cp936AgainstWindows, SystemUsesCodePage936) { ASSERT_EQ(GetACP(), 936u); }

TEST(Cp936AgainstWindows, EverySingleByte) {
  Mismatches mismatches;
  for (int b = 0; b < 256; ++b) {
    std::string one(1, char(b));
    mismatches.check(one, cp936::toUtf16(one), systemToUtf16(936, one));
  }
}

TEST(Cp936AgainstWindows, EveryBytePairAndEveryLeadAtTheEnd) {
  Mismatches mismatches;
  std::string all;
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      std::string pair{char(first), char(second)};
      mismatches.check(pair, cp936::toUtf16(pair), systemToUtf16(936, pair));
      all += pair;
    }
    std::string endsInLead = "A\xD5\x5C" + std::string(1, char(first));
    mismatches.check(endsInLead, cp936::toUtf16(endsInLead), systemToUtf16(936, endsInLead));
  }
  // In one buffer too, where each lead byte may take the next pair's first byte as its trail.
  std::string shifted = all.substr(1);
  EXPECT_TRUE(cp936::toUtf16(all) == systemToUtf16(936, all));
  EXPECT_TRUE(cp936::toUtf16(shifted) == systemToUtf16(936, shifted));
}

TEST(Cp936AgainstWindows, EveryBmpUnitIncludingLoneSurrogates) {
  Mismatches mismatches;
  std::u16string all;
  for (unsigned u = 0; u < 0x10000; ++u) {
    std::u16string one(1, char16_t(u));
    mismatches.check(one, cp936::fromUtf16(one), systemFromUtf16(one));
    all += one;
  }
  EXPECT_TRUE(cp936::fromUtf16(all) == systemFromUtf16(all));
}

TEST(Cp936AgainstWindows, SurrogatePairs) {
  Mismatches mismatches;
  for (std::u16string text : {std::u16string{0xD83D, 0xDE00}, std::u16string{0xDBFF, 0xDFFF},
                              std::u16string{0xDC00, 0xD800}, std::u16string{u'a', 0xD800},
                              std::u16string{0xD800, 0xD800, 0xDC00}})
    mismatches.check(text, cp936::fromUtf16(text), systemFromUtf16(text));
}

TEST(Utf8AgainstWindows, ValidAndInvalidSequences) {
  Mismatches mismatches;
  for (std::string text :
       {"plain", "\xE4\xB8\xAD\xE6\x96\x87", "\xF0\x9F\x98\x80", "\xEF\xBF\xBF", "\xC3", "\xC3(",
        "\xE4\xB8", "\xE4\xB8(", "\x80x", "\xFFx", "\xC0\xAF", "\xF0\x9F\x98", "\xF4\x8F\xBF\xBF"})
    mismatches.check(text, utf8::toUtf16(text), systemToUtf16(CP_UTF8, text));
}

TEST(GbkTextAgainstWindows, CharactersStepAsCharNextExA) {
  int mismatches = 0;
  // From 1: CharNextExA does not step past a NUL, which ends its string.
  for (int first = 1; first < 256; ++first)
    for (int second = 0; second < 256; ++second) {
      const char pair[3] = {char(first), char(second), 'x'};
      std::size_t system = std::size_t(CharNextExA(936, pair, 0) - pair);
      if (gbk::charLength(std::string_view(pair, 3), 0) != system && ++mismatches <= 10)
        ADD_FAILURE() << "bytes " << hex(std::string(pair, 2)) << ": system steps " << system;
    }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
