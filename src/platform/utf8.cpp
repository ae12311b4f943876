#include "platform/utf8.h"

namespace utf8 {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

struct LeadInfo {
  int continuationBytes;    // -1: not a lead byte
  unsigned char low, high;  // allowed range of the first continuation byte
};

// The first continuation byte's range rules out overlongs, surrogates and code points above
// U+10FFFF, so a valid sequence needs no further check.
LeadInfo leadInfo(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return {1, 0x80, 0xBF};
  if (b == 0xE0) return {2, 0xA0, 0xBF};
  if (b == 0xED) return {2, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {2, 0x80, 0xBF};
  if (b == 0xF0) return {3, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {3, 0x80, 0xBF};
  if (b == 0xF4) return {3, 0x80, 0x8F};
  return {-1, 0, 0};
}

void appendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(char16_t(cp));
  } else {
    cp -= 0x10000;
    out.push_back(char16_t(0xD800 + (cp >> 10)));
    out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
  }
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(char(cp));
  } else if (cp < 0x800) {
    out.push_back(char(0xC0 | cp >> 6));
    out.push_back(char(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(char(0xE0 | cp >> 12));
    out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(char(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(char(0xF0 | cp >> 18));
    out.push_back(char(0x80 | (cp >> 12 & 0x3F)));
    out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(char(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::u16string toUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    LeadInfo lead = leadInfo(b);
    std::size_t j = i + 1;
    bool valid = lead.continuationBytes > 0;
    char32_t cp = b & (0x7F >> (lead.continuationBytes + 1));
    for (int k = 0; valid && k < lead.continuationBytes; ++k, ++j) {
      if (j >= text.size()) {
        valid = false;
        break;
      }
      auto c = static_cast<unsigned char>(text[j]);
      unsigned char low = k == 0 ? lead.low : 0x80, high = k == 0 ? lead.high : 0xBF;
      if (c < low || c > high) {
        valid = false;
        break;
      }
      cp = cp << 6 | (c & 0x3F);
    }
    // An invalid sequence is replaced as far as its valid prefix reaches (a maximal subpart).
    if (valid)
      appendCodePoint(out, cp);
    else
      out.push_back(kReplacement);
    i = j;
  }
  return out;
}

std::string fromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

bool isValid(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    const LeadInfo lead = leadInfo(b);
    if (lead.continuationBytes < 0 || i + std::size_t(lead.continuationBytes) >= text.size())
      return false;
    const auto first = static_cast<unsigned char>(text[i + 1]);
    if (first < lead.low || first > lead.high) return false;
    for (int k = 2; k <= lead.continuationBytes; ++k)
      if ((static_cast<unsigned char>(text[i + std::size_t(k)]) & 0xC0) != 0x80) return false;
    i += std::size_t(lead.continuationBytes) + 1;
  }
  return true;
}

}  // namespace utf8
