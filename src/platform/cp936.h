// The CP936 (GBK) codec: converts exactly as Windows' code page 936 does without best-fit
// mapping, so the native and Windows builds give the same bytes. Unmappable characters become
// '?'; a lead byte at the end, or before a NUL, decodes to '?' by itself, and a lead byte before
// any other byte takes that byte with it ('?' when the pair has no mapping), as Windows does.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace cp936 {

std::u16string toUtf16(std::string_view gbk);
// Every UTF-16 unit converts on its own: a surrogate (paired or not) becomes '?'.
std::string fromUtf16(std::u16string_view utf16);

// Through UTF-16: a character outside the BMP becomes "??", an invalid UTF-8 sequence '?'.
std::string toUtf8(std::string_view gbk);
std::string fromUtf8(std::string_view utf8);

// How many characters of the text GBK cannot hold (each becomes "?" when converted; a surrogate
// pair counts once).
std::size_t unmappableCharacters(std::u16string_view utf16);

// Lead bytes 0x81-0xFE start a two-byte character; 0x80 and 0xFF stand alone.
constexpr bool isLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The UTF-16 unit of one GBK byte sequence, or 0 when it has no mapping.
char16_t decodeSingle(unsigned char byte);
char16_t decodePair(unsigned char lead, unsigned char trail);

// The GBK bytes of one UTF-16 unit: a value below 0x100 is one byte, above it lead << 8 | trail;
// 0 when the unit has no mapping (U+0000 itself is the single byte 0).
std::uint16_t encodeUnit(char16_t unit);

}  // namespace cp936
