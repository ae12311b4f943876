// The header, cookie, URL and date helpers on arbitrary bytes, as a server's reply or a
// caller's text may hold them. The input is split at its first 0x00: for MergeCookies the part
// before is what was sent and the part after what was received; everything else reads all of
// it. Besides not crashing, each result keeps the promises its header makes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "net/http_cookies.h"
#include "net/http_date.h"
#include "net/http_headers.h"
#include "net/network_date.h"
#include "net/url_parts.h"
#include "platform/gbk_text.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

bool isAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool endsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t cut = input.find('\0');
  std::string_view first = input.substr(0, cut);
  std::string_view second = cut == std::string_view::npos ? "" : input.substr(cut + 1);

  require(net::HeaderName(input).size() <= input.size());
  require(net::HeaderValue(input).size() <= input.size());
  // Only names change case and lines go: never longer than what came in.
  require(net::NormaliseHeaderNames(input).size() <= input.size());

  std::string cookies = net::CollectResponseCookies(input);
  require(cookies.size() <= input.size());
  std::string merged = net::MergeCookies(first, second);
  if (isAscii(input)) {
    require(!endsWith(cookies, "; "));
    require(!endsWith(merged, "; ") && merged.rfind("; ", 0) != 0);
    std::set<std::string> items;
    for (const std::string& item : gbk::split(merged, "; ")) {
      require(items.insert(item).second);  // no item twice
      require(!endsWith(item, "=deleted"));
    }
  }

  std::string host = net::UrlHost(input, true);
  std::string path = net::UrlPath(input);
  require(!path.empty() && path[0] == '/');
  net::UrlPort(input);
  require(host.size() <= input.size() + 8);

  net::DateHeaderValue(input);
  auto gmt = net::ParseHttpDate(input, /*untouched=*/true);
  auto shown = net::ParseHttpDate(input);
  require(gmt.has_value() == shown.has_value());
  if (gmt) {
    require(*gmt >= net::VariantDateOf(100, 1, 1, 0, 0, 0));
    require(*gmt <= net::VariantDateOf(9999, 12, 31, 23, 59, 59));
    require(std::abs(*shown - *gmt - 8.0 / 24.0) < 1e-6 || *gmt < 0);
  }
  return 0;
}
