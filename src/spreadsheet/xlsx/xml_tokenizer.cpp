#include "spreadsheet/xlsx/xml_tokenizer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace xlsx {
namespace {

// A single token (tag, comment, text run) may not grow beyond this while waiting for its end.
constexpr std::size_t kMaxPending = 16u << 20;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Bytes that may stand in an element or attribute name on the one-pass route: everything but
// white space, the tag delimiters, '=', quotes and '/'. The colon of a prefix is a name byte
// too, but the scan stops at it to note where the local name starts.
constexpr auto kPlainNameByte = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = true;
  for (unsigned char c : {' ', '\t', '\r', '\n', '<', '>', '=', '"', '\'', '/', ':'})
    table[c] = false;
  return table;
}();

// Moves past a name; `colon` is left at its last colon, if it has one.
const char* scanName(const char* p, const char* end, const char*& colon) {
  for (;;) {
    while (p < end && kPlainNameByte[static_cast<unsigned char>(*p)]) ++p;
    if (p == end || *p != ':') return p;
    colon = p++;
  }
}

std::string_view localName(std::string_view name) {
  auto colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Writes a code point as UTF-16 and returns the next free unit. A NUL is left out: texts leave
// the library zero-terminated, so one inside would cut the text short.
char16_t* writeCodePoint(char32_t cp, char16_t* out) {
  if (cp >= 0x10000 && cp <= 0x10FFFF) {
    cp -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else if (cp < 0x10000 && !(cp >= 0xD800 && cp <= 0xDFFF)) {
    if (cp != 0) *out++ = static_cast<char16_t>(cp);
  } else {
    *out++ = u'\uFFFD';
  }
  return out;
}

// The code point of an entity body ("amp", "#x41"); 0 when unknown.
char32_t entityValue(std::string_view body) {
  if (body == "lt") return '<';
  if (body == "gt") return '>';
  if (body == "amp") return '&';
  if (body == "quot") return '"';
  if (body == "apos") return '\'';
  if (body.size() < 2 || body[0] != '#') return 0;
  bool hex = body[1] == 'x' || body[1] == 'X';
  std::size_t i = hex ? 2 : 1;
  if (i >= body.size()) return 0;
  char32_t value = 0;
  for (; i < body.size(); ++i) {
    char c = body[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return 0;
    value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    if (value > 0x10FFFF) return 0;
  }
  return value;
}

// Decodes one UTF-8 sequence at text[i]; advances i. U+FFFD for malformed input.
char32_t nextUtf8(std::string_view text, std::size_t& i) {
  auto byte = static_cast<unsigned char>(text[i++]);
  if (byte < 0x80) return byte;
  int extra;
  char32_t cp;
  if ((byte & 0xE0) == 0xC0) {
    extra = 1;
    cp = byte & 0x1F;
  } else if ((byte & 0xF0) == 0xE0) {
    extra = 2;
    cp = byte & 0x0F;
  } else if ((byte & 0xF8) == 0xF0) {
    extra = 3;
    cp = byte & 0x07;
  } else
    return 0xFFFD;
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  return cp;
}

}  // namespace

void appendCodePointUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

const XmlAttribute* findAttribute(const std::vector<XmlAttribute>& attributes,
                                  std::string_view name) {
  for (const auto& attribute : attributes)
    if (attribute.name == name) return &attribute;
  return nullptr;
}

namespace {

// Decodes UTF-8 into `out` and returns the next free unit; `out` has room for one unit per
// byte, which is never exceeded (a pair of units takes four bytes).
char16_t* writeUtf8(std::string_view utf8, char16_t* out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t size = utf8.size();
  std::size_t i = 0;
  while (i < size) {
    // Eight plain ASCII bytes (none of them NUL) at a time while they last.
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighBits = 0x8080808080808080u;
    while (size - i >= 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      if (((word | ((word - kOnes) & ~word)) & kHighBits) != 0) break;
      for (int k = 0; k < 8; ++k) out[k] = bytes[i + static_cast<std::size_t>(k)];
      out += 8;
      i += 8;
    }
    if (i == size) break;
    const unsigned char byte = bytes[i];
    if (byte < 0x80) {
      if (byte != 0) *out++ = byte;
      ++i;
    } else if ((byte & 0xF0) == 0xE0 && size - i >= 3 && (bytes[i + 1] & 0xC0) == 0x80 &&
               (bytes[i + 2] & 0xC0) == 0x80) {
      // Three bytes: most CJK text.
      out = writeCodePoint(static_cast<char32_t>((byte & 0x0F) << 12 | (bytes[i + 1] & 0x3F) << 6 |
                                                 (bytes[i + 2] & 0x3F)),
                           out);
      i += 3;
    } else {
      out = writeCodePoint(nextUtf8(utf8, i), out);
    }
  }
  return out;
}

}  // namespace

void appendUtf8(std::string_view utf8, std::u16string& out) {
  const std::size_t start = out.size();
  out.resize(start + utf8.size());
  char16_t* end = writeUtf8(utf8, out.data() + start);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

void appendXmlText(std::string_view raw, std::u16string& out) {
  const std::size_t start = out.size();
  out.resize(start + raw.size());  // an entity is never shorter than what it stands for
  char16_t* next = out.data() + start;
  std::size_t i = 0;
  while (i < raw.size()) {
    const void* found = std::memchr(raw.data() + i, '&', raw.size() - i);
    std::size_t amp =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - raw.data()) : raw.size();
    next = writeUtf8(raw.substr(i, amp - i), next);
    if (amp == raw.size()) break;
    auto semi = raw.find(';', amp);
    char32_t cp = 0;
    if (semi != std::string_view::npos && semi - amp <= 10)
      cp = entityValue(raw.substr(amp + 1, semi - amp - 1));
    if (cp) {
      next = writeCodePoint(cp, next);
      i = semi + 1;
    } else {
      *next++ = u'&';
      i = amp + 1;
    }
  }
  out.resize(static_cast<std::size_t>(next - out.data()));
}

std::string decodeXmlEntities(std::string_view raw) {
  std::string out;
  std::size_t i = 0;
  while (i < raw.size()) {
    auto amp = raw.find('&', i);
    if (amp == std::string_view::npos) amp = raw.size();
    out.append(raw.substr(i, amp - i));
    if (amp == raw.size()) break;
    auto semi = raw.find(';', amp);
    char32_t cp = 0;
    if (semi != std::string_view::npos && semi - amp <= 10)
      cp = entityValue(raw.substr(amp + 1, semi - amp - 1));
    if (cp) {
      appendCodePointUtf8(cp, out);
      i = semi + 1;
    } else {
      out += '&';
      i = amp + 1;
    }
  }
  return out;
}

void XmlTokenizer::fail(std::string why) {
  if (!failed_) error_ = std::move(why);
  failed_ = true;
}

bool XmlTokenizer::feed(std::string_view piece) {
  if (failed_) return false;
  // The token the last piece ended in is finished in the buffer with as little of this piece
  // as it takes (doubling, so a long token is still copied only a few times); the rest is
  // read where it lies.
  std::size_t from = 0;
  while (!buffer_.empty() && from < piece.size() && !failed_) {
    const std::size_t more =
        std::min(piece.size() - from, std::max<std::size_t>(buffer_.size(), 4096));
    buffer_.append(piece.substr(from, more));
    from += more;
    const std::size_t left = buffer_.size() - parse(buffer_);
    if (left < more) {  // all that came before is read: go on in the piece itself
      from -= left;
      buffer_.clear();
    } else {
      buffer_.erase(0, buffer_.size() - left);
    }
  }
  if (buffer_.empty() && !failed_) {
    std::size_t used = parse(piece.substr(from));
    if (!failed_) buffer_.assign(piece.substr(from + used));
  }
  if (buffer_.size() > kMaxPending) fail("XML token too large");
  if (!handler_.failure().empty()) fail(handler_.failure());
  return !failed_;
}

bool XmlTokenizer::finish() {
  if (failed_) return false;
  if (!handler_.failure().empty()) {
    fail(handler_.failure());
    return false;
  }
  std::size_t i = 0;
  while (i < buffer_.size() && isSpace(buffer_[i])) ++i;
  if (i < buffer_.size()) {
    if (buffer_[i] == '<') {
      fail("XML document ends inside a tag");
      return false;
    }
    handler_.text(std::string_view(buffer_).substr(i), false);
  }
  buffer_.clear();
  return true;
}

std::size_t XmlTokenizer::parse(std::string_view data) {
  const char* const begin = data.data();
  const char* const end = begin + data.size();
  const char* at = begin;
  while (at < end && !failed_) {
    if (!handler_.failure().empty()) {
      fail(handler_.failure());
      break;
    }
    if (*at != '<') {
      const void* found = std::memchr(at, '<', static_cast<std::size_t>(end - at));
      if (!found) break;  // the text may continue in the next piece
      const char* lt = static_cast<const char*>(found);
      handler_.text(std::string_view(at, static_cast<std::size_t>(lt - at)), false);
      at = lt;
      continue;
    }
    if (end - at < 2) break;
    const char kind = at[1];
    std::size_t used;
    if (kind == '!' || kind == '?')
      used = parseMarkup(std::string_view(at, static_cast<std::size_t>(end - at)));
    else if (kind == '/')
      used = parseEndTag(at, end);
    else
      used = parseStartTag(at, end);
    if (used == 0) break;  // the token goes on in the next piece, or the document failed
    at += used;
  }
  return static_cast<std::size_t>(at - begin);
}

std::size_t XmlTokenizer::parseMarkup(std::string_view rest) {
  if (rest[1] == '?') {
    auto end = rest.find("?>", 2);
    return end == std::string_view::npos ? 0 : end + 2;
  }
  if (rest.size() < 9) return 0;
  if (rest.substr(0, 4) == "<!--") {
    auto end = rest.find("-->", 4);
    return end == std::string_view::npos ? 0 : end + 3;
  }
  if (rest.substr(0, 9) == "<![CDATA[") {
    auto end = rest.find("]]>", 9);
    if (end == std::string_view::npos) return 0;
    handler_.text(rest.substr(9, end - 9), true);
    return end + 3;
  }
  fail("XML document type declarations are not allowed");
  return 0;
}

// The common shape of an end tag, "</name>", read in one go; anything else takes the general
// route, which gives the same result for it.
std::size_t XmlTokenizer::parseEndTag(const char* tag, const char* end) {
  const char* colon = nullptr;
  const char* p = scanName(tag + 2, end, colon);
  if (p == end) return 0;
  if (*p != '>') return parseTagSlowly(tag, end);
  const char* local = colon ? colon + 1 : tag + 2;
  handler_.endElement(std::string_view(local, static_cast<std::size_t>(p - local)));
  return static_cast<std::size_t>(p + 1 - tag);
}

// A start tag read in one pass while it is well formed: a name, then name="value" pairs
// separated by white space, then ">" or "/>". Anything unusual (a quote in a name, a missing
// "=", an unquoted value) hands the tag to the general route, so every tag ends up read
// exactly as that route reads it.
std::size_t XmlTokenizer::parseStartTag(const char* tag, const char* end) {
  const char* colon = nullptr;
  const char* p = scanName(tag + 1, end, colon);
  if (p == end) return 0;
  const char* nameStart = colon ? colon + 1 : tag + 1;
  const std::string_view name(nameStart, static_cast<std::size_t>(p - nameStart));
  if (p == tag + 1 || name.empty()) return parseTagSlowly(tag, end);
  attributes_.clear();
  for (;;) {
    while (p < end && isSpace(*p)) ++p;
    if (p == end) return 0;
    if (*p == '>' || *p == '/') break;
    const char* attributeStart = p;
    const char* attributeColon = nullptr;
    p = scanName(p, end, attributeColon);
    if (p == end) return 0;
    if (*p != '=' || p == attributeStart) return parseTagSlowly(tag, end);
    const char* localStart = attributeColon ? attributeColon + 1 : attributeStart;
    ++p;
    if (p == end) return 0;
    const char quote = *p;
    if (quote != '"' && quote != '\'') return parseTagSlowly(tag, end);
    const void* close = std::memchr(p + 1, quote, static_cast<std::size_t>(end - p - 1));
    if (!close) return 0;
    const char* closeQuote = static_cast<const char*>(close);
    attributes_.push_back(
        {std::string_view(localStart, static_cast<std::size_t>(p - 1 - localStart)),
         std::string_view(p + 1, static_cast<std::size_t>(closeQuote - p - 1))});
    p = closeQuote + 1;
    if (p == end) return 0;
    if (!isSpace(*p) && *p != '>' && *p != '/') return parseTagSlowly(tag, end);
  }
  bool selfClosing = false;
  if (*p == '/') {
    if (p + 1 == end) return 0;
    if (p[1] != '>') return parseTagSlowly(tag, end);
    selfClosing = true;
    ++p;
  }
  handler_.startElement(name, attributes_);
  if (selfClosing) handler_.endElement(name);
  return static_cast<std::size_t>(p + 1 - tag);
}

// The general route: a tag ends at the first '>' outside quoted attribute values.
std::size_t XmlTokenizer::parseTagSlowly(const char* tag, const char* end) {
  std::string_view rest(tag, static_cast<std::size_t>(end - tag));
  std::size_t i = 1;
  char quote = 0;
  for (;;) {
    const char* p = rest.data() + i;
    std::size_t left = rest.size() - i;
    if (quote) {
      const void* q = std::memchr(p, quote, left);
      if (!q) return 0;
      i = static_cast<std::size_t>(static_cast<const char*>(q) - rest.data()) + 1;
      quote = 0;
      continue;
    }
    std::size_t k = 0;
    while (k < left && p[k] != '>' && p[k] != '"' && p[k] != '\'') ++k;
    if (k == left) return 0;
    i += k;
    if (rest[i] == '>') break;
    quote = rest[i];
    ++i;
  }
  return parseTag(rest.substr(0, i + 1)) ? i + 1 : 0;
}

// `tag` runs from '<' to '>' inclusive.
bool XmlTokenizer::parseTag(std::string_view tag) {
  std::string_view body = tag.substr(1, tag.size() - 2);
  if (!body.empty() && body[0] == '/') {
    std::size_t end = 1;
    while (end < body.size() && !isSpace(body[end])) ++end;
    handler_.endElement(localName(body.substr(1, end - 1)));
    return true;
  }
  bool selfClosing = !body.empty() && body.back() == '/';
  if (selfClosing) body.remove_suffix(1);
  std::size_t i = 0;
  while (i < body.size() && !isSpace(body[i])) ++i;
  std::string_view name = localName(body.substr(0, i));
  if (name.empty()) {
    fail("malformed XML tag");
    return false;
  }
  attributes_.clear();
  while (i < body.size()) {
    while (i < body.size() && isSpace(body[i])) ++i;
    if (i >= body.size()) break;
    std::size_t nameStart = i;
    while (i < body.size() && body[i] != '=' && !isSpace(body[i])) ++i;
    std::string_view attributeName = body.substr(nameStart, i - nameStart);
    while (i < body.size() && isSpace(body[i])) ++i;
    if (i >= body.size() || body[i] != '=') {
      fail("malformed XML attribute");
      return false;
    }
    ++i;
    while (i < body.size() && isSpace(body[i])) ++i;
    if (i >= body.size() || (body[i] != '"' && body[i] != '\'')) {
      fail("malformed XML attribute value");
      return false;
    }
    char quote = body[i++];
    auto close = body.find(quote, i);
    if (close == std::string_view::npos) {
      fail("malformed XML attribute value");
      return false;
    }
    attributes_.push_back({localName(attributeName), body.substr(i, close - i)});
    i = close + 1;
  }
  handler_.startElement(name, attributes_);
  if (selfClosing) handler_.endElement(name);
  return true;
}

}  // namespace xlsx
