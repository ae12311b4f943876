#include "net/url_parts.h"

#include <algorithm>

#include "net/text_between.h"
#include "platform/gbk_text.h"

namespace net {
namespace {

bool startsWith(std::string_view text, std::string_view head) {
  return text.substr(0, head.size()) == head;
}

// Where the host starts in the lower-cased URL, as UrlHost reads it: after a leading
// "https://", else after the first "http://", else at the start.
std::size_t hostStart(std::string_view lowerUrl) {
  if (startsWith(lowerUrl, "https://")) return 8;
  std::size_t http = gbk::find(lowerUrl, "http://");
  return http == gbk::npos ? 0 : http + 7;
}

}  // namespace

std::string UrlHost(std::string_view url, bool keepPort) {
  std::string lower = gbk::toLowerAscii(url);
  if (lower.empty() || lower.back() != '/') lower += '/';
  std::string host;
  if (startsWith(lower, "https://")) {
    host = TextBetween(lower, "https://", "/");
  } else {
    if (gbk::find(lower, "http://") == gbk::npos) lower.insert(0, "http://");
    host = TextBetween(lower, "http://", "/");
  }
  if (!keepPort) {
    std::size_t colon = gbk::find(host, ":");
    if (colon != gbk::npos) host.resize(colon);
  }
  return host;
}

int UrlPort(std::string_view url) {
  std::string host = UrlHost(url, /*keepPort=*/true);
  std::size_t colon = host.rfind(':');
  if (colon == std::string::npos) return gbk::toLowerAscii(url.substr(0, 5)) == "https" ? 443 : 80;
  long port = 0;
  for (std::size_t i = colon + 1; i < host.size() && host[i] >= '0' && host[i] <= '9'; ++i) {
    port = port * 10 + (host[i] - '0');
    if (port > 65536) break;  // out of range already; no need to read on
  }
  return int(port);
}

std::string UrlPath(std::string_view url) {
  std::string host = UrlHost(url);
  // The host is looked for after the scheme: a short host such as "h" or "tp" must not be
  // found inside "http://" itself.
  std::size_t from = hostStart(gbk::toLowerAscii(url));
  std::size_t hostAt = gbk::find(url, host, std::min(from, url.size()), /*ignoreCase=*/true);
  if (hostAt == gbk::npos) return "/";
  std::size_t slash = gbk::find(url, "/", hostAt);
  return slash == gbk::npos ? "/" : std::string(url.substr(slash));
}

}  // namespace net
