#include "recognition/line_text.h"

#include <vector>

#include "platform/utf8.h"

namespace recognition {
namespace {

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == 0x3000 || c == 0xA0; }

// Characters set without spaces in Chinese text: ideographs, kana, CJK and full-width
// punctuation and forms. Surrogates (rare ideographs beyond the first plane) count as wide.
bool isWide(char16_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
         (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || c == 0x2018 ||
         c == 0x2019 || c == 0x201C || c == 0x201D || c == 0x2026 || c == 0x2014;
}

}  // namespace

std::string tidyLine(std::string_view utf8Line) {
  const std::u16string text = utf8::toUtf16(utf8Line);
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (!isSpace(text[i])) {
      if (text[i] != u'\n' && text[i] != u'\r') out += text[i];
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && isSpace(text[end])) ++end;
    const bool atEdge = out.empty() || end == text.size();
    if (!atEdge && !isWide(out.back()) && !isWide(text[end])) out += u' ';
    i = end;
  }
  while (!out.empty() && (out.back() == u'\n' || isSpace(out.back()))) out.pop_back();
  return utf8::fromUtf16(out);
}

}  // namespace recognition
