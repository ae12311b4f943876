#include "ocr_service/base64_decode.h"

#include <cstdint>

namespace ocr_service {
namespace {

int digitValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::optional<std::string> decodeBase64(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  std::uint32_t bits = 0;
  int pending = 0;  // digits in `bits`
  int fill = 0;
  for (char c : text) {
    if (c == '\r' || c == '\n') continue;
    if (c == '=') {
      ++fill;
      continue;
    }
    const int value = digitValue(c);
    if (value < 0 || fill > 0) return std::nullopt;
    bits = bits << 6 | std::uint32_t(value);
    if (++pending == 4) {
      out += char(bits >> 16 & 0xFF), out += char(bits >> 8 & 0xFF), out += char(bits & 0xFF);
      bits = 0, pending = 0;
    }
  }
  if (pending == 1 || fill > 2) return std::nullopt;
  if (fill > 0 && (pending + fill) % 4 != 0) return std::nullopt;
  if (pending == 2) out += char(bits >> 4 & 0xFF);
  if (pending == 3) out += char(bits >> 10 & 0xFF), out += char(bits >> 2 & 0xFF);
  return out;
}

}  // namespace ocr_service
