#include "platform/cp936.h"

namespace cp936 {

// Placeholder: ASCII only until the full table lands.
char16_t decodeSingle(unsigned char byte) { return byte < 0x80 ? char16_t(byte) : 0; }
char16_t decodePair(unsigned char, unsigned char) { return 0; }

std::u16string toUtf16(std::string_view gbk) {
  std::u16string out;
  for (unsigned char c : gbk) out.push_back(c < 0x80 ? char16_t(c) : u'?');
  return out;
}

std::string fromUtf16(std::u16string_view utf16) {
  std::string out;
  for (char16_t c : utf16) out.push_back(c < 0x80 ? char(c) : '?');
  return out;
}

std::string toUtf8(std::string_view gbk) { return std::string(gbk); }
std::string fromUtf8(std::string_view utf8) { return std::string(utf8); }

}  // namespace cp936
