#include "platform/profile_text.h"

#include "platform/cp936.h"
#include "platform/gbk_text.h"

namespace platform::profile {
namespace {

enum class Encoding { Gbk, Utf8, Utf16Le, Utf16Be };

// One line of the file: its bytes as stored, what ended it, and its text as GBK.
struct Line {
  std::string raw;
  std::string ending;
  std::string text;
};

struct Document {
  Encoding encoding = Encoding::Gbk;
  std::string bom;
  std::vector<Line> lines;
};

constexpr std::string_view kCrLf = "\r\n";

std::size_t unitSize(Encoding e) {
  return e == Encoding::Utf16Le || e == Encoding::Utf16Be ? 2 : 1;
}

char16_t unitAt(std::string_view bytes, std::size_t at, Encoding e) {
  auto b0 = static_cast<unsigned char>(bytes[at]), b1 = static_cast<unsigned char>(bytes[at + 1]);
  return e == Encoding::Utf16Le ? char16_t(b0 | b1 << 8) : char16_t(b0 << 8 | b1);
}

std::string decode(std::string_view raw, Encoding e) {
  switch (e) {
    case Encoding::Gbk:
      return std::string(raw);
    case Encoding::Utf8:
      return cp936::fromUtf8(raw);
    default: {
      std::u16string units;
      for (std::size_t at = 0; at + 1 < raw.size(); at += 2) units += unitAt(raw, at, e);
      return cp936::fromUtf16(units);
    }
  }
}

std::string encode(std::string_view text, Encoding e) {
  switch (e) {
    case Encoding::Gbk:
      return std::string(text);
    case Encoding::Utf8:
      return cp936::toUtf8(text);
    default: {
      std::string bytes;
      for (char16_t u : cp936::toUtf16(text)) {
        char hi = char(u >> 8), lo = char(u & 0xFF);
        bytes += e == Encoding::Utf16Le ? lo : hi;
        bytes += e == Encoding::Utf16Le ? hi : lo;
      }
      return bytes;
    }
  }
}

Document parse(std::string_view file) {
  Document doc;
  if (file.starts_with("\xEF\xBB\xBF")) {
    doc.encoding = Encoding::Utf8, doc.bom = file.substr(0, 3);
  } else if (file.starts_with("\xFF\xFE")) {
    doc.encoding = Encoding::Utf16Le, doc.bom = file.substr(0, 2);
  } else if (file.starts_with("\xFE\xFF")) {
    doc.encoding = Encoding::Utf16Be, doc.bom = file.substr(0, 2);
  }
  const std::size_t unit = unitSize(doc.encoding);
  std::string_view body = file.substr(doc.bom.size());
  body = body.substr(0, body.size() / unit * unit);    // a stray last byte of UTF-16 is no text
  auto breakAt = [&](std::size_t at) -> std::size_t {  // 0, or the units of the line break
    char16_t u =
        unit == 1 ? char16_t(static_cast<unsigned char>(body[at])) : unitAt(body, at, doc.encoding);
    if (u == '\n') return 1;
    if (u != '\r') return 0;
    bool crlf = at + unit < body.size() &&
                (unit == 1 ? body[at + 1] == '\n' : unitAt(body, at + 2, doc.encoding) == '\n');
    return crlf ? 2 : 1;
  };
  std::size_t start = 0;
  for (std::size_t at = 0; at < body.size();) {
    if (std::size_t units = breakAt(at)) {
      std::string_view raw = body.substr(start, at - start);
      doc.lines.push_back({std::string(raw), std::string(body.substr(at, units * unit)),
                           decode(raw, doc.encoding)});
      at += units * unit;
      start = at;
    } else {
      at += unit;
    }
  }
  if (start < body.size()) {
    std::string_view raw = body.substr(start);
    doc.lines.push_back({std::string(raw), {}, decode(raw, doc.encoding)});
  }
  return doc;
}

std::string join(const Document& doc) {
  std::string out = doc.bom;
  for (const Line& line : doc.lines) out += line.raw + line.ending;
  return out;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view untilNul(std::string_view text) { return text.substr(0, text.find('\0')); }

bool sameName(std::string_view a, std::string_view b) {
  return gbk::toLowerAscii(untilNul(a)) == gbk::toLowerAscii(untilNul(b));
}

// What a line means: a section header, a key (with or without a value), or nothing.
struct Meaning {
  enum Kind { kNothing, kSection, kKey } kind = kNothing;
  std::string_view name;
  std::optional<std::string_view> value;
};

Meaning meaningOf(std::string_view text) {
  text = trim(text);
  if (text.empty()) return {};
  if (text.front() == '[') {
    // The last "]" closes the name; it is found by whole characters, as a GBK trail byte can
    // look like one.
    std::size_t close = gbk::npos;
    for (std::size_t at = 0; at < text.size(); at += gbk::charLength(text, at))
      if (text[at] == ']') close = at;
    if (close == gbk::npos) return {};
    return {Meaning::kSection, trim(text.substr(1, close - 1)), std::nullopt};
  }
  std::size_t eq = text.find('=');  // never a trail byte
  if (eq == std::string_view::npos) return {Meaning::kKey, text, std::nullopt};
  return {Meaning::kKey, trim(text.substr(0, eq)), trim(text.substr(eq + 1))};
}

// The first section's lines: [first, end), first being the header; nullopt when missing.
struct Span {
  std::size_t header, end;
};

std::optional<Span> findSection(const Document& doc, std::string_view section) {
  for (std::size_t i = 0; i < doc.lines.size(); ++i) {
    Meaning m = meaningOf(doc.lines[i].text);
    if (m.kind != Meaning::kSection || !sameName(m.name, section)) continue;
    std::size_t end = i + 1;
    while (end < doc.lines.size() && meaningOf(doc.lines[end].text).kind != Meaning::kSection)
      ++end;
    return Span{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> findKey(const Document& doc, Span span, std::string_view key) {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    Meaning m = meaningOf(doc.lines[i].text);
    if (m.kind == Meaning::kKey && sameName(m.name, key)) return i;
  }
  return std::nullopt;
}

Line newLine(const Document& doc, std::string_view text) {
  return {encode(text, doc.encoding), encode(kCrLf, doc.encoding), std::string(text)};
}

void setValue(Document& doc, std::string_view section, const ProfileEntry& entry) {
  auto span = findSection(doc, section);
  if (!span) {
    if (!doc.lines.empty() && doc.lines.back().ending.empty())
      doc.lines.back().ending = encode(kCrLf, doc.encoding);
    std::string header = "[";
    header.append(section).append("]");
    doc.lines.push_back(newLine(doc, header));
    doc.lines.push_back(newLine(doc, entry.key + "=" + entry.value));
    return;
  }
  if (auto at = findKey(doc, *span, entry.key)) {
    Line& line = doc.lines[*at];
    std::string text = std::string(meaningOf(line.text).name) + "=" + entry.value;
    line.raw = encode(text, doc.encoding);
    line.text = std::move(text);
    return;
  }
  std::size_t last = span->header;
  for (std::size_t i = span->header + 1; i < span->end; ++i)
    if (!trim(doc.lines[i].text).empty()) last = i;
  if (doc.lines[last].ending.empty()) doc.lines[last].ending = encode(kCrLf, doc.encoding);
  doc.lines.insert(doc.lines.begin() + std::ptrdiff_t(last + 1),
                   newLine(doc, entry.key + "=" + entry.value));
}

}  // namespace

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1A';
}

std::optional<std::string> findValue(std::string_view file, std::string_view section,
                                     std::string_view key) {
  Document doc = parse(file);
  auto span = findSection(doc, section);
  if (!span) return std::nullopt;
  auto at = findKey(doc, *span, key);
  if (!at) return std::nullopt;
  std::string_view value = untilNul(meaningOf(doc.lines[*at].text).value.value_or(""));
  if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

std::string setValues(std::string_view file, std::string_view section,
                      const std::vector<ProfileEntry>& entries) {
  Document doc = parse(file);
  for (const ProfileEntry& entry : entries) setValue(doc, section, entry);
  return join(doc);
}

}  // namespace platform::profile
