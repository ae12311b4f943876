#include "net/hex.h"

#include <optional>

namespace net {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The value sscanf(pair, "%x") stores, or nullopt when it matches nothing.
std::optional<unsigned> scanHexPair(char first, char second) {
  const char pair[2] = {first, second};
  std::size_t at = 0;
  while (at < 2 && isCSpace(pair[at])) ++at;
  bool negative = false;
  if (at < 2 && (pair[at] == '+' || pair[at] == '-')) negative = pair[at++] == '-';
  if (at == 2 || hexDigit(pair[at]) < 0) return std::nullopt;
  unsigned value = 0;
  // After a leading 0 an "x" is the prefix; with no digit left the number read is that 0.
  for (; at < 2 && hexDigit(pair[at]) >= 0; ++at) value = value * 16 + unsigned(hexDigit(pair[at]));
  return negative ? 0u - value : value;
}

}  // namespace

std::string HexEncode(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

std::string HexDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 2);
  for (std::size_t i = 0; i + 1 < text.size(); i += 2)
    if (auto value = scanHexPair(text[i], text[i + 1])) out += char(*value & 0xFF);
  return out;
}

}  // namespace net
