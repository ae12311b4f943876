#include "import/text_encoding.h"

#include "platform/cp936.h"
#include "platform/utf8.h"

namespace importer {

bool isStrictGbk(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) continue;
    if (!cp936::isLeadByte(byte)) {
      if (cp936::decodeSingle(byte) == 0) return false;
      continue;
    }
    if (i + 1 >= bytes.size()) return false;
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF || cp936::decodePair(byte, trail) == 0)
      return false;
    ++i;
  }
  return true;
}

DecodedText decodeTextFile(std::string_view bytes) {
  DecodedText out;
  if (bytes.find('\0') != std::string_view::npos) {
    const bool utf16 = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                             (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    out.problem = utf16 ? "the file is UTF-16 text; save it as UTF-8 or GBK"
                        : "the file holds NUL bytes: it is not a text file";
    return out;
  }
  const bool bom = bytes.substr(0, 3) == "\xEF\xBB\xBF";
  if (bom) bytes.remove_prefix(3);
  if (utf8::isValid(bytes)) {
    out.ok = true;
    out.utf8 = std::string(bytes);
    return out;
  }
  if (bom) {
    out.problem = "the file starts with a UTF-8 byte order mark but is not UTF-8 text";
    return out;
  }
  if (isStrictGbk(bytes)) {
    out.ok = true;
    out.encoding = TextEncoding::gbk;
    out.utf8 = cp936::toUtf8(bytes);
    return out;
  }
  out.problem = "the file is neither UTF-8 nor GBK text";
  return out;
}

}  // namespace importer
