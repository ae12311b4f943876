#include "platform/cp936.h"

#include <array>
#include <memory>

#include "platform/cp936_table.h"
#include "platform/utf8.h"

namespace cp936 {
namespace {

using namespace detail;

constexpr char16_t kEuro = 0x20AC, kByteFF = 0xF8F5;

// Inverse of the decoding table, built once: encoding is then one lookup per unit.
const std::array<std::uint16_t, 0x10000>& encodeTable() {
  static const auto table = [] {
    auto t = std::make_unique<std::array<std::uint16_t, 0x10000>>();
    t->fill(0);
    for (unsigned b = 0; b < 0x80; ++b) (*t)[b] = std::uint16_t(b);
    (*t)[kEuro] = 0x80;
    (*t)[kByteFF] = 0xFF;
    for (unsigned lead = 0; lead < kLeadCount; ++lead)
      for (unsigned trail = 0; trail < kTrailCount; ++trail)
        if (char16_t unit = kPairs[lead * kTrailCount + trail])
          (*t)[unit] = std::uint16_t((kFirstLead + lead) << 8 | (kFirstTrail + trail));
    return t;
  }();
  return *table;
}

}  // namespace

char16_t decodeSingle(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte == 0x80) return kEuro;
  if (byte == 0xFF) return kByteFF;
  return 0;
}

char16_t decodePair(unsigned char lead, unsigned char trail) {
  if (!isLeadByte(lead) || trail < kFirstTrail || trail >= kFirstTrail + kTrailCount) return 0;
  return kPairs[(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail)];
}

std::uint16_t encodeUnit(char16_t unit) { return encodeTable()[unit]; }

std::u16string toUtf16(std::string_view gbk) {
  // Written through a pointer into a buffer of the largest size: one unit per byte at most.
  std::u16string out(gbk.size(), u'\0');
  char16_t* next = out.data();
  const auto* in = reinterpret_cast<const unsigned char*>(gbk.data());
  const auto* end = in + gbk.size();
  while (in < end) {
    unsigned char byte = *in++;
    if (!isLeadByte(byte)) {
      *next++ = decodeSingle(byte);
    } else if (in == end || *in == 0) {
      // Windows pairs a lead byte with whatever follows except NUL, valid trail or not.
      *next++ = u'?';
    } else {
      char16_t unit = decodePair(byte, *in++);
      *next++ = unit ? unit : u'?';
    }
  }
  out.resize(std::size_t(next - out.data()));
  return out;
}

std::string fromUtf16(std::u16string_view utf16) {
  const auto& table = encodeTable();
  std::string out(utf16.size() * 2, '\0');
  char* next = out.data();
  for (char16_t unit : utf16) {
    std::uint16_t code = table[unit];
    if (code >= 0x100) {
      *next++ = char(code >> 8);
      *next++ = char(code & 0xFF);
    } else if (code != 0 || unit == 0) {
      *next++ = char(code);
    } else {
      *next++ = '?';
    }
  }
  out.resize(std::size_t(next - out.data()));
  return out;
}

// The same as converting to UTF-16 and on to UTF-8, in one pass: workbook texts of many
// megabytes go this way.
std::string toUtf8(std::string_view gbk) {
  std::string out(gbk.size() * 3, '\0');  // no byte becomes more than three
  char* next = out.data();
  const auto* in = reinterpret_cast<const unsigned char*>(gbk.data());
  const auto* end = in + gbk.size();
  while (in < end) {
    unsigned char byte = *in++;
    if (byte < 0x80) {
      *next++ = char(byte);
      continue;
    }
    char16_t unit;
    if (!isLeadByte(byte)) {
      unit = decodeSingle(byte);
    } else if (in == end || *in == 0) {
      unit = u'?';
    } else {
      unit = decodePair(byte, *in++);
      if (!unit) unit = u'?';
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
    if (unit < 0x80) {
      *next++ = char(unit);
    } else if (unit < 0x800) {
      *next++ = char(0xC0 | unit >> 6);
      *next++ = char(0x80 | (unit & 0x3F));
    } else {
      *next++ = char(0xE0 | unit >> 12);
      *next++ = char(0x80 | (unit >> 6 & 0x3F));
      *next++ = char(0x80 | (unit & 0x3F));
    }
  }
  out.resize(std::size_t(next - out.data()));
  return out;
}

std::string fromUtf8(std::string_view text) { return fromUtf16(utf8::toUtf16(text)); }

std::size_t unmappableCharacters(std::u16string_view utf16) {
  std::size_t lost = 0;
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() &&
                      utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF;
    if (pair) {
      ++lost;
      ++i;
    } else if (unit != 0 && encodeUnit(unit) == 0) {
      ++lost;
    }
  }
  return lost;
}

}  // namespace cp936
