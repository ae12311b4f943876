#include "search/text_normalizer.h"

#include <algorithm>
#include <memory>

#include "platform/cp936.h"
#include "search/lookalike_table.h"

namespace search {
namespace {

// ASCII signs that carry meaning in a question (formulas, units) stay; the rest of ASCII
// punctuation is dropped, as screen text gets it wrong or loses it most often.
constexpr std::u16string_view kDroppedAscii = u" !\"#&'(),.:;?@[\\]_`{}~";

char16_t fold(char16_t c) {
  if (c >= 0xFF01 && c <= 0xFF5E) c = static_cast<char16_t>(c - 0xFEE0);  // full-width ASCII
  if (c >= 'A' && c <= 'Z') return static_cast<char16_t>(c + 0x20);
  if (c >= 0x0391 && c <= 0x03A9) return static_cast<char16_t>(c + 0x20);  // Greek capitals
  if (c >= 0x2170 && c <= 0x2179) return static_cast<char16_t>(c - 0x10);  // small Roman numerals
  switch (c) {
    case 0x3000:  // ideographic space
      return u' ';
    case 0x2212:  // minus sign
    case 0xFE63:  // small hyphen-minus
      return u'-';
    case 0xFE62:
      return u'+';
    case 0xFE64:
      return u'<';
    case 0xFE65:
      return u'>';
    case 0xFE66:
      return u'=';
    default:
      return c;
  }
}

bool isDropped(char16_t c) {
  if (c < 0x20 || c == 0x7F) return true;
  if (c < 0x80) return kDroppedAscii.find(c) != std::u16string_view::npos;
  switch (c) {
    case 0xA0:
    case 0xA1:
    case 0xA8:
    case 0xAB:
    case 0xB4:
    case 0xB7:
    case 0xBB:
    case 0xBF:
    case 0x30FB:
    case 0xFEFF:
      return true;
    default:
      break;
  }
  return (c >= 0x2000 && c <= 0x200F) ||  // spaces and zero-width marks
         (c >= 0x2016 && c <= 0x202F) ||  // quotes, bullets, dots, line separators
         (c >= 0x2035 && c <= 0x203E) ||  // reversed primes, angle quotes, reference mark
         (c >= 0x3000 && c <= 0x3003) ||  // ideographic space, comma, full stop, ditto
         (c >= 0x3008 && c <= 0x3011) ||  // corner and angle brackets
         (c >= 0x3013 && c <= 0x301F) ||  // more brackets, wave dash, quotation marks
         (c >= 0xFE10 && c <= 0xFE1F) ||  // vertical forms
         (c >= 0xFE30 && c <= 0xFE6B) ||  // compatibility and small forms
         (c >= 0xFF61 && c <= 0xFF65);    // half-width CJK punctuation
}

// Folded character and group of every GBK code: a single byte is its own code, a pair is
// lead << 8 | trail (lead bytes start at 0x81, so the two never meet). Groups stand apart from
// the characters, so a look at the groups alone keeps fewer cache lines busy.
class FoldTable {
 public:
  FoldTable() {
    std::unique_ptr<char16_t[]> groupOf(new char16_t[0x10000]());
    for (const LookalikeEntry& entry : lookalikeEntries()) groupOf[entry.member] = entry.group;
    for (unsigned code = 0; code < 0x10000; ++code) {
      char16_t unit = code < 0x100 ? cp936::decodeSingle(static_cast<unsigned char>(code))
                                   : cp936::decodePair(static_cast<unsigned char>(code >> 8),
                                                       static_cast<unsigned char>(code & 0xFF));
      if (code >= 0x100 && code < 0x8100) unit = 0;
      char16_t folded = fold(unit);
      folded_[code] = folded;
      if (folded != 0 && !isDropped(folded))
        groups_[code] = groupOf[folded] ? groupOf[folded] : folded;
    }
  }
  FoldedChar operator[](unsigned code) const { return {folded_[code], groups_[code]}; }
  char16_t folded(unsigned code) const { return folded_[code]; }
  char16_t group(unsigned code) const { return groups_[code]; }

 private:
  char16_t folded_[0x10000] = {};
  char16_t groups_[0x10000] = {};
};

const FoldTable& foldTable() {
  static const std::unique_ptr<FoldTable> table = std::make_unique<FoldTable>();
  return *table;
}

// The code of the character at text[pos] and its length, stepping as the system does: a lead
// byte takes the next byte with it unless that is the end or NUL.
inline unsigned codeAt(std::string_view text, std::size_t pos, std::size_t& length) {
  auto lead = static_cast<unsigned char>(text[pos]);
  if (cp936::isLeadByte(lead) && pos + 1 < text.size() && text[pos + 1] != '\0') {
    length = 2;
    return lead << 8 | static_cast<unsigned char>(text[pos + 1]);
  }
  length = 1;
  return lead;
}

bool isBlank(char16_t folded) {
  return folded == u' ' || folded == u'\t' || folded == u'\r' || folded == u'\n';
}

// Walks folded characters for the question-number patterns; 0 stands for the end.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text), table_(foldTable()) {}
  std::size_t pos() const { return pos_; }
  char16_t peek() const {
    if (pos_ >= text_.size()) return 0;
    std::size_t length;
    return table_.folded(codeAt(text_, pos_, length));
  }
  void next() {
    std::size_t length;
    codeAt(text_, pos_, length);
    pos_ += length;
  }
  bool take(char16_t c) {
    if (peek() != c) return false;
    next();
    return true;
  }
  void rewind(std::size_t pos) { pos_ = pos; }
  void skipBlanks() {
    while (isBlank(peek())) next();
  }
  // Up to four ASCII digits; 0 when there are none or more than four.
  int digits() {
    int count = 0;
    while (peek() >= u'0' && peek() <= u'9') {
      next();
      if (++count > 4) return 0;
    }
    return count;
  }

 private:
  std::string_view text_;
  const FoldTable& table_;
  std::size_t pos_ = 0;
};

bool isChineseNumeral(char16_t c) {
  return std::u16string_view(u"一二三四五六七八九十").find(c) != std::u16string_view::npos;
}

char16_t closingBracket(char16_t open) {
  switch (open) {
    case u'(':
      return u')';
    case u'[':
      return u']';
    case u'【':
      return u'】';
    case u'〔':
      return u'〕';
    default:
      return 0;
  }
}

// A separator after a number may follow; it goes with the number.
void takeSeparator(Cursor& cursor) {
  for (char16_t c : std::u16string_view(u".,:、"))
    if (cursor.take(c)) return;
}

bool isScoreOpener(char16_t c) {
  return std::u16string_view(u"([【〔〈").find(c) != std::u16string_view::npos;
}
bool isScoreCloser(char16_t c) {
  return std::u16string_view(u")]】〕〉").find(c) != std::u16string_view::npos;
}

// A question's score after its number, "（6分）": it says nothing about the question, and text
// recognition reads it badly ("分" as digits, "（" as "〈"), so it goes with the number. Up to
// four digits, as "6分" read as "653" shows.
void takeScore(Cursor& cursor) {
  const std::size_t start = cursor.pos();
  if (!isScoreOpener(cursor.peek())) return;
  cursor.next();
  cursor.skipBlanks();
  const int digits = cursor.digits();
  cursor.skipBlanks();
  cursor.take(u'分');
  cursor.skipBlanks();
  if (digits && isScoreCloser(cursor.peek()))
    cursor.next();
  else
    cursor.rewind(start);
}

std::size_t endOfNumber(Cursor& cursor) {
  cursor.skipBlanks();
  takeScore(cursor);
  cursor.skipBlanks();
  return cursor.pos();
}

struct DecodedChar {
  char16_t raw;
  char16_t folded;
  std::size_t pos;
  bool blankBefore;
};

bool isAsciiAlnum(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// 0 for "A", 1 for "B" and so on to "H"; -1 for anything else.
int optionLetter(char16_t raw) {
  if (raw >= u'A' && raw <= u'H') return raw - u'A';
  if (raw >= 0xFF21 && raw <= 0xFF28) return raw - 0xFF21;
  return -1;
}

}  // namespace

FoldedChar foldChar(std::string_view gbk, std::size_t pos) {
  if (pos >= gbk.size()) return {};
  std::size_t length;
  return foldTable()[codeAt(gbk, pos, length)];
}

std::size_t questionNumberLength(std::string_view gbk) {
  Cursor cursor(gbk);
  cursor.skipBlanks();
  char16_t first = cursor.peek();
  if (first == u'第') {
    cursor.next();
    cursor.skipBlanks();
    if (!cursor.digits()) return 0;
    cursor.skipBlanks();
    if (!cursor.take(u'题')) return 0;
    takeSeparator(cursor);
    return endOfNumber(cursor);
  }
  if (char16_t close = closingBracket(first)) {
    cursor.next();
    cursor.skipBlanks();
    if (!cursor.digits()) return 0;
    cursor.skipBlanks();
    if (!cursor.take(close)) return 0;
    takeSeparator(cursor);
    return endOfNumber(cursor);
  }
  if (first >= u'0' && first <= u'9') {
    if (!cursor.digits()) return 0;
    cursor.skipBlanks();
    char16_t separator = cursor.peek();
    // "12-" and "12。" are "12．" as text recognition often reads it.
    if (std::u16string_view(u".,:、)-。").find(separator) == std::u16string_view::npos) return 0;
    cursor.next();
    // "1.5", "1,000" and "1-2" are numbers.
    if ((separator == u'.' || separator == u',' || separator == u'-') && cursor.peek() >= u'0' &&
        cursor.peek() <= u'9')
      return 0;
    return endOfNumber(cursor);
  }
  if (isChineseNumeral(first)) {
    int count = 0;
    while (isChineseNumeral(cursor.peek()) && count < 3) cursor.next(), ++count;
    if (!cursor.take(u'、') && !cursor.take(u'.')) return 0;
    return endOfNumber(cursor);
  }
  return 0;
}

std::size_t trailingOptionsStart(std::string_view gbk) {
  // The characters other than blanks, each knowing whether blanks stood before it.
  const FoldTable& table = foldTable();
  std::vector<DecodedChar> chars;
  bool blankBefore = false;
  std::size_t length = 0;
  for (std::size_t pos = 0; pos < gbk.size(); pos += length) {
    unsigned code = codeAt(gbk, pos, length);
    char16_t folded = table.folded(code);
    if (isBlank(folded)) {
      blankBefore = true;
      continue;
    }
    char16_t raw = length == 2 ? cp936::decodePair(static_cast<unsigned char>(code >> 8),
                                                   static_cast<unsigned char>(code & 0xFF))
                               : cp936::decodeSingle(static_cast<unsigned char>(code));
    chars.push_back({raw, folded, pos, blankBefore});
    blankBefore = false;
  }

  // Runs of markers "A", "B", ... in order, each option short, the last running to the end.
  constexpr std::size_t kLongestOption = 80;
  std::size_t runStart = std::string::npos, lastMarker = 0;
  int expected = 0;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    int letter = optionLetter(chars[i].raw);
    if (letter < 0) continue;
    char16_t after = i + 1 < chars.size() ? chars[i + 1].folded : char16_t{0};
    std::size_t start = std::string::npos;
    if (i > 0 && chars[i - 1].folded == u'(' && after == u')') {
      start = chars[i - 1].pos;
    } else if ((i == 0 || chars[i].blankBefore || !isAsciiAlnum(chars[i - 1].folded)) &&
               after != 0 &&
               std::u16string_view(u".,、:)-。").find(after) != std::u16string_view::npos) {
      start = chars[i].pos;
    }
    if (start == std::string::npos) continue;
    if (letter == 0) {
      runStart = start, lastMarker = i, expected = 1;
    } else if (runStart != std::string::npos && letter == expected) {
      if (i - lastMarker > kLongestOption) runStart = std::string::npos;
      lastMarker = i, ++expected;
    }
  }
  bool trailing =
      runStart != std::string::npos && expected >= 2 && chars.size() - lastMarker <= kLongestOption;
  return trailing ? runStart : std::string::npos;
}

namespace {

// A hyphen or minus sign is a formula's when what follows it (past blanks) is narrow text:
// "x-1", "- 2", or nothing. Before wide text it is punctuation, mostly a full stop as text
// recognition reads it ("A．叶绿体" as "A-叶绿体"), and is dropped like one.
bool signBeforeFormula(std::string_view gbk, std::size_t pos, const FoldTable& table) {
  for (std::size_t length = 0; pos < gbk.size(); pos += length) {
    const char16_t next = table.folded(codeAt(gbk, pos, length));
    if (!isBlank(next)) return next != 0 && next < 0x80;
  }
  return true;
}

// The walk both normalising routines share: `unitOf(code)` gives what a character's code
// becomes, and the character is kept when its group is not 0. Every character is written and
// the end moves on only past kept ones: no branch on what a character is, as mixed text makes
// such branches guess wrong all the time.
template <typename Unit, typename UnitOf>
std::size_t normalizeWith(std::string_view gbk, std::vector<Unit>& out, std::size_t maxUnits,
                          const FoldTable& table, UnitOf unitOf) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t size = gbk.size();
  std::size_t pos = questionNumberLength(gbk);
  out.resize(std::min(maxUnits, size - pos));
  Unit* end = out.data();
  Unit* const last = end + out.size();
  while (pos < size && end < last) {
    unsigned lead = bytes[pos];
    unsigned trail = pos + 1 < size ? bytes[pos + 1] : 0;
    bool pair = lead - 0x81u < 0x7Eu && trail != 0;
    unsigned code = pair ? lead << 8 | trail : lead;
    *end = unitOf(code);
    pos += 1 + pair;
    bool keep = table.group(code) != 0;
    if (table.folded(code) == u'-') keep = signBeforeFormula(gbk, pos, table);
    end += keep;
  }
  out.resize(static_cast<std::size_t>(end - out.data()));
  return pos;
}

}  // namespace

std::size_t normalizeText(std::string_view gbk, std::vector<NormalUnit>& out,
                          std::size_t maxUnits) {
  const FoldTable& table = foldTable();
  return normalizeWith(gbk, out, maxUnits, table, [&](unsigned code) {
    return NormalUnit{table.group(code)} << 16 | table.folded(code);
  });
}

std::size_t normalizeGroups(std::string_view gbk, std::vector<char16_t>& out,
                            std::size_t maxUnits) {
  const FoldTable& table = foldTable();
  return normalizeWith(gbk, out, maxUnits, table, [&](unsigned code) { return table.group(code); });
}

std::vector<NormalUnit> normalizeText(std::string_view gbk, std::size_t maxUnits) {
  std::vector<NormalUnit> out;
  normalizeText(gbk, out, maxUnits);
  return out;
}

}  // namespace search
