#include "platform/gbk_text.h"

#include "platform/cp936.h"

namespace gbk {
namespace {

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Does needle stand at text[pos]? Both are stepped by whole characters, so a needle ending in a
// lone lead byte never matches the first half of a character. ASCII letters fold when
// ignoreCase; double-byte characters compare exactly.
bool matchesAt(std::string_view text, std::size_t pos, std::string_view needle, bool ignoreCase) {
  if (text.size() - pos < needle.size()) return false;
  for (std::size_t i = 0; i < needle.size();) {
    std::size_t n = charLength(needle, i);
    if (charLength(text, pos + i) != n) return false;
    for (std::size_t k = 0; k < n; ++k) {
      char a = text[pos + i + k], b = needle[i + k];
      if (ignoreCase && n == 1) a = foldAscii(a), b = foldAscii(b);
      if (a != b) return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

std::size_t charLength(std::string_view text, std::size_t pos) {
  // As the system steps ANSI text: 0x80 and 0xFF stand alone, and NUL is never a trail byte.
  bool pair = cp936::isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() &&
              text[pos + 1] != '\0';
  return pair ? 2 : 1;
}

std::size_t find(std::string_view text, std::string_view needle, std::size_t from,
                 bool ignoreCase) {
  if (needle.empty()) return from <= text.size() ? from : npos;
  std::size_t pos = 0;
  while (pos < from && pos < text.size()) pos += charLength(text, pos);
  for (; pos < text.size(); pos += charLength(text, pos))
    if (matchesAt(text, pos, needle, ignoreCase)) return pos;
  return npos;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to,
                       bool ignoreCase) {
  if (from.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (matchesAt(text, pos, from, ignoreCase)) {
      out += to;
      pos += from.size();
    } else {
      std::size_t n = charLength(text, pos);
      out.append(text.substr(pos, n));
      pos += n;
    }
  }
  return out;
}

std::vector<std::string> split(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = find(text, separator, start)) != npos && !separator.empty();) {
    parts.emplace_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  parts.emplace_back(text.substr(start));
  return parts;
}

std::string toLowerAscii(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); i += charLength(out, i))
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = char(out[i] - 'A' + 'a');
  return out;
}

std::string toUpperAscii(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); i += charLength(out, i))
    if (out[i] >= 'a' && out[i] <= 'z') out[i] = char(out[i] - 'a' + 'A');
  return out;
}

std::size_t fitLength(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  std::size_t pos = 0;
  while (pos < maxBytes) {
    std::size_t n = charLength(text, pos);
    if (pos + n > maxBytes) break;
    pos += n;
  }
  return pos;
}

}  // namespace gbk
