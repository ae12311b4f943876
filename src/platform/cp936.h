// The CP936 (GBK) codec: converts exactly as Windows' code page 936 does without best-fit
// mapping, so the native and Windows builds give the same bytes. Unmappable characters become
// '?'; a lone lead byte at the end decodes as Windows decodes it.
#pragma once
#include <string>
#include <string_view>

namespace cp936 {

std::u16string toUtf16(std::string_view gbk);
std::string fromUtf16(std::u16string_view utf16);

std::string toUtf8(std::string_view gbk);
std::string fromUtf8(std::string_view utf8);

// The UTF-16 unit of one GBK byte sequence, or 0 when it has no mapping.
char16_t decodeSingle(unsigned char byte);
char16_t decodePair(unsigned char lead, unsigned char trail);

}  // namespace cp936
