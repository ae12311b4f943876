#include "spreadsheet/xlsx/xml_tokenizer.h"

#include <cstring>

namespace xlsx {
namespace {

// A single token (tag, comment, text run) may not grow beyond this while waiting for its end.
constexpr std::size_t kMaxPending = 16u << 20;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view localName(std::string_view name) {
  auto colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

void appendCodePoint(char32_t cp, std::u16string& out) {
  if (cp >= 0x10000 && cp <= 0x10FFFF) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else if (cp < 0x10000 && !(cp >= 0xD800 && cp <= 0xDFFF)) {
    out += static_cast<char16_t>(cp);
  } else {
    out += u'\uFFFD';
  }
}

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

const XmlAttribute* findAttribute(const std::vector<XmlAttribute>& attributes,
                                  std::string_view name) {
  for (const auto& attribute : attributes)
    if (attribute.name == name) return &attribute;
  return nullptr;
}

void appendUtf8(std::string_view utf8, std::u16string& out) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      out += static_cast<char16_t>(byte);
      ++i;
    } else {
      appendCodePoint(nextUtf8(utf8, i), out);
    }
  }
}

void appendXmlText(std::string_view raw, std::u16string& out) {
  std::size_t i = 0;
  while (i < raw.size()) {
    auto amp = raw.find('&', i);
    if (amp == std::string_view::npos) amp = raw.size();
    appendUtf8(raw.substr(i, amp - i), out);
    if (amp == raw.size()) break;
    auto semi = raw.find(';', amp);
    char32_t cp = 0;
    if (semi != std::string_view::npos && semi - amp <= 10)
      cp = entityValue(raw.substr(amp + 1, semi - amp - 1));
    if (cp) {
      appendCodePoint(cp, out);
      i = semi + 1;
    } else {
      out += u'&';
      i = amp + 1;
    }
  }
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
  if (buffer_.empty()) {
    std::size_t used = parse(piece);
    if (!failed_) buffer_.assign(piece.substr(used));
  } else {
    buffer_.append(piece);
    std::size_t used = parse(buffer_);
    buffer_.erase(0, used);
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
  std::size_t at = 0;
  const std::size_t size = data.size();
  while (at < size && !failed_) {
    if (!handler_.failure().empty()) {
      fail(handler_.failure());
      return at;
    }
    if (data[at] != '<') {
      const void* found = std::memchr(data.data() + at, '<', size - at);
      if (!found) return at;  // the text may continue in the next piece
      auto lt = static_cast<std::size_t>(static_cast<const char*>(found) - data.data());
      handler_.text(data.substr(at, lt - at), false);
      at = lt;
      continue;
    }
    std::string_view rest = data.substr(at);
    if (rest.size() < 2) return at;
    char kind = rest[1];
    if (kind == '!') {
      if (rest.size() < 9) return at;
      if (rest.substr(0, 4) == "<!--") {
        auto end = rest.find("-->", 4);
        if (end == std::string_view::npos) return at;
        at += end + 3;
      } else if (rest.substr(0, 9) == "<![CDATA[") {
        auto end = rest.find("]]>", 9);
        if (end == std::string_view::npos) return at;
        handler_.text(rest.substr(9, end - 9), true);
        at += end + 3;
      } else {
        fail("XML document type declarations are not allowed");
      }
      continue;
    }
    if (kind == '?') {
      auto end = rest.find("?>", 2);
      if (end == std::string_view::npos) return at;
      at += end + 2;
      continue;
    }
    // A tag ends at the first '>' outside quoted attribute values.
    std::size_t i = 1;
    char quote = 0;
    for (;;) {
      const char* p = rest.data() + i;
      std::size_t left = rest.size() - i;
      if (quote) {
        const void* q = std::memchr(p, quote, left);
        if (!q) return at;
        i = static_cast<std::size_t>(static_cast<const char*>(q) - rest.data()) + 1;
        quote = 0;
        continue;
      }
      std::size_t k = 0;
      while (k < left && p[k] != '>' && p[k] != '"' && p[k] != '\'') ++k;
      if (k == left) return at;
      i += k;
      if (rest[i] == '>') break;
      quote = rest[i];
      ++i;
    }
    if (!parseTag(rest.substr(0, i + 1))) return at;
    at += i + 1;
  }
  return at;
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
