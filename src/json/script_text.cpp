#include "json/script_text.h"

namespace json {

std::u16string escapeForQuotes(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 8);
  for (char16_t c : text) {
    switch (c) {
      case u'\\':
        out += u"\\\\";
        break;
      case u'\'':
        out += u"\\'";
        break;
      case u'"':
        out += u"\\\"";
        break;
      case u'\r':
        out += u"\\r";
        break;
      case u'\n':
        out += u"\\n";
        break;
      case u'\u2028':
        out += u"\\u2028";
        break;
      case u'\u2029':
        out += u"\\u2029";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::u16string quotedText(std::u16string_view text) { return u"'" + escapeForQuotes(text) + u"'"; }

}  // namespace json
