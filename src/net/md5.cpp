#include "net/md5.h"

#include "platform/gbk_text.h"
#include "platform/md5.h"

namespace net {

std::string Md5Hex(std::string_view bytes, Md5Form form) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto digest = platform::md5Digest(bytes);
  if (!digest) return {};
  std::string upper;
  for (unsigned char b : *digest) {
    upper += kHex[b >> 4];
    upper += kHex[b & 15];
  }
  switch (form) {
    case Md5Form::kUpper32:
      return upper;
    case Md5Form::kMiddle16:
      return gbk::toLowerAscii(upper.substr(8, 16));
    case Md5Form::kLower32:
      break;
  }
  return gbk::toLowerAscii(upper);
}

}  // namespace net
