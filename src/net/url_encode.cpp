#include "net/url_encode.h"

#include "net/utf8_text.h"
#include "platform/cp936.h"

namespace net {
namespace {

bool isUnreserved(unsigned char c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  switch (c) {
    case '\'':
    case '(':
    case ')':
    case '*':
    case '-':
    case '.':
    case '_':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string UrlEncode(std::string_view text, std::optional<bool> keepUnreserved,
                      std::optional<bool> toUtf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string bytes = toUtf8.value_or(false) ? cp936::toUtf8(text) : std::string(text);
  const bool keep = keepUnreserved.value_or(false);
  std::string out;
  out.reserve(bytes.size() * 3);
  for (unsigned char c : bytes) {
    if (c == 0) continue;
    if (keep && isUnreserved(c)) {
      out += char(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace net
