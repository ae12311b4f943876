#include "net/setting_scramble.h"

#include "net/hex.h"
#include "net/md5.h"
#include "platform/gbk_text.h"

namespace net {
namespace {

constexpr unsigned kScrambleConstant = 7153;
constexpr std::size_t kCheckLength = 9;

// XOR is its own inverse, so this both scrambles and unscrambles.
std::string xorBytes(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out) c = char((static_cast<unsigned char>(c) ^ kScrambleConstant) & 0xFF);
  return out;
}

// Nine characters from the third digit of the key's MD5, upper-cased; empty when MD5 failed.
std::string checkOf(std::string_view key) {
  const std::string md5 = Md5Hex(key);
  if (md5.size() < 2 + kCheckLength) return {};
  return gbk::toUpperAscii(md5.substr(2, kCheckLength));
}

}  // namespace

std::string ScrambleSetting(std::string_view value, std::string_view key) {
  return HexEncode(xorBytes(value)) + checkOf(key);
}

std::string UnscrambleSetting(std::string_view stored, std::string_view key) {
  const std::string check = checkOf(key);
  if (check.empty() || stored.size() < kCheckLength) return {};
  const std::size_t bodyLength = stored.size() - kCheckLength;
  if (stored.substr(bodyLength) != check) return {};
  return xorBytes(HexDecode(stored.substr(0, bodyLength)));
}

}  // namespace net
