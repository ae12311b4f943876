#include "json/script_text.h"

namespace json {
namespace {

// The letter that follows the backslash in the escape of c, or 0 when c needs none.
char16_t escapeLetter(char16_t c) {
  switch (c) {
    case u'\\':
    case u'\'':
    case u'"':
      return c;
    case u'\r':
      return u'r';
    case u'\n':
      return u'n';
    default:
      return 0;
  }
}

}  // namespace

std::u16string escapeForQuotes(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 8);
  for (char16_t c : text) {
    if (const char16_t letter = escapeLetter(c)) {
      out.push_back(u'\\');
      out.push_back(letter);
    } else if (c == u'\u2028' || c == u'\u2029') {
      // Line separators would end the string: write them as \u2028 and \u2029.
      out.push_back(u'\\');
      out.push_back(u'u');
      out.push_back(u'2');
      out.push_back(u'0');
      out.push_back(u'2');
      out.push_back(c == u'\u2028' ? u'8' : u'9');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::u16string quotedText(std::u16string_view text) {
  std::u16string out(1, u'\'');
  out.append(escapeForQuotes(text));
  out.push_back(u'\'');
  return out;
}

}  // namespace json
