// Feeds arbitrary bytes to the CP936 and UTF-8 conversions: none may crash, and a second pass
// through each must give back what the first produced.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/cp936.h"
#include "platform/utf8.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // GBK -> UTF-16 -> GBK gives well-formed GBK that decodes to the same units.
  std::u16string units = cp936::toUtf16(bytes);
  require(units.size() <= bytes.size());
  std::string gbk = cp936::fromUtf16(units);
  require(cp936::toUtf16(gbk) == units);
  require(cp936::fromUtf16(cp936::toUtf16(gbk)) == gbk);

  // The same bytes read as UTF-8, and as GBK written out as UTF-8.
  std::string fromUtf8 = cp936::fromUtf8(bytes);
  require(cp936::fromUtf8(cp936::toUtf8(fromUtf8)) == fromUtf8);
  std::u16string wide = utf8::toUtf16(bytes);
  require(utf8::toUtf16(utf8::fromUtf16(wide)) == wide);
  require(cp936::toUtf16(cp936::fromUtf8(cp936::toUtf8(bytes))) == units);

  // The bytes read as UTF-16 units, lone surrogates included.
  std::u16string raw(size / 2, u'\0');
  for (std::size_t i = 0; i < raw.size(); ++i)
    raw[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
  std::string narrow = cp936::fromUtf16(raw);
  require(narrow.size() >= raw.size() && narrow.size() <= 2 * raw.size());
  std::string rawUtf8 = utf8::fromUtf16(raw);
  require(utf8::fromUtf16(utf8::toUtf16(rawUtf8)) == rawUtf8);
  return 0;
}
