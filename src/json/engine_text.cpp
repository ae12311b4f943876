#include "json/engine_text.h"

namespace json {

std::string toEngineBytes(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (char16_t unit : text) {
    const unsigned c = unit;
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string fromEngineBytes(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = lead < 0x80   ? 1
                         : lead < 0xC2 ? 0
                         : lead < 0xE0 ? 2
                         : lead < 0xF0 ? 3
                         : lead < 0xF5 ? 4
                                       : 0;
    unsigned c = length == 1   ? lead
                 : length == 2 ? (lead & 0x1F)
                 : length == 3 ? (lead & 0x0F)
                               : (lead & 0x07);
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned next = i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0;
      if ((next & 0xC0) != 0x80) {
        length = 0;
        break;
      }
      c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms and code points past U+10FFFF are malformed.
    if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF))) length = 0;
    if (length == 0) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (c > 0xFFFF) {
      c -= 0x10000;
      out += char16_t(0xD800 + (c >> 10));
      out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
      out += char16_t(c);
    }
    i += length;
  }
  return out;
}

}  // namespace json
