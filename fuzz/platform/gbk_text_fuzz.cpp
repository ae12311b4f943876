// GBK text helpers on arbitrary bytes: the input is split at its first 0x00 into text and a
// needle. Matches must fall on character boundaries, and splitting then joining gives the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/gbk_text.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

bool isBoundary(std::string_view text, std::size_t pos) {
  std::size_t at = 0;
  while (at < pos) at += gbk::charLength(text, at);
  return at == pos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t cut = input.find('\0');
  std::string_view text = input.substr(0, cut);
  std::string_view needle = cut == std::string_view::npos ? "" : input.substr(cut + 1);

  for (bool ignoreCase : {false, true}) {
    std::size_t at = gbk::find(text, needle, 0, ignoreCase);
    if (at != gbk::npos) {
      require(at + needle.size() <= text.size());
      require(isBoundary(text, at) && isBoundary(text, at + needle.size()));
    }
    require(gbk::replaceAll(text, needle, needle, ignoreCase).size() == text.size());
  }
  require(gbk::replaceAll(text, needle, needle) == text);

  std::string joined;
  auto parts = gbk::split(text, needle);
  for (std::size_t i = 0; i < parts.size(); ++i)
    joined += (i ? std::string(needle) : "") + parts[i];
  require(joined == text);

  require(gbk::toLowerAscii(gbk::toUpperAscii(text)).size() == text.size());
  std::size_t fit = gbk::fitLength(text, needle.size());
  require(fit <= needle.size() && fit <= text.size() && isBoundary(text, fit));
  return 0;
}
