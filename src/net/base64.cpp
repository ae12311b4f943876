#include "net/base64.h"

namespace net {

std::string Base64Encode(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::size_t left = bytes.size() - i;
    unsigned b0 = static_cast<unsigned char>(bytes[i]);
    unsigned b1 = left > 1 ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    unsigned b2 = left > 2 ? static_cast<unsigned char>(bytes[i + 2]) : 0;
    out += kAlphabet[b0 >> 2];
    out += kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
    out += left > 1 ? kAlphabet[((b1 & 15) << 2) | (b2 >> 6)] : '=';
    out += left > 2 ? kAlphabet[b2 & 63] : '=';
  }
  return out;
}

}  // namespace net
