#include "net/inet_request.h"

#include "net/http_constants.h"
#include "net/http_cookies.h"
#include "net/http_headers.h"
#include "net/text_between.h"
#include "net/url_parts.h"
#include "platform/gbk_text.h"

namespace net {
namespace {

constexpr std::size_t kHeaderBufferBytes = 5000;

bool isSecureUrl(const std::string& url) {
  return gbk::toLowerAscii(std::string_view(url).substr(0, 8)) == "https://";
}

}  // namespace

std::string UserAgentOf(const std::string& headerText) {
  if (gbk::find(headerText, "User-Agent:", 0, /*ignoreCase=*/true) == gbk::npos)
    return std::string(kDefaultUserAgent);
  // Found regardless of case, as the test above: a "user-agent:" line of a caller who turned
  // name normalisation off is still the agent.
  std::string agent =
      TrimSpaces(TextBetween(headerText + "\r\n", "User-Agent:", "\r\n", 1, /*ignoreCase=*/true));
  if (!agent.empty()) return agent;
  // An empty agent line: the value of the first line, never a text running over lines.
  std::size_t lineEnd = gbk::find(headerText, "\r\n");
  return HeaderValue(std::string_view(headerText).substr(0, lineEnd));
}

std::string ProxyText(const std::string& proxy, bool socks, bool secureUrl) {
  if (proxy.empty()) return {};
  if (socks) return "SOCKS=" + proxy;
  if (secureUrl) return proxy;
  return "http=" + proxy;
}

std::string HeaderBufferText(const std::optional<std::string>& rawHeaders) {
  if (!rawHeaders || rawHeaders->size() + 1 > kHeaderBufferBytes)
    return std::string(kHeaderBufferBytes, ' ');
  return *rawHeaders;
}

std::optional<platform::InternetExchange> PrepareInternetExchange(
    const InetRequestOptions& options) {
  const int method = clampMethod(options.method);
  std::string headerText = options.headers;
  if (options.normaliseHeaderNames.value_or(true)) headerText = NormaliseHeaderNames(headerText);
  const bool secure = isSecureUrl(options.url);

  platform::InternetExchange exchange;
  exchange.agent = UserAgentOf(headerText);
  exchange.proxy = ProxyText(options.proxy, options.socksProxy, secure);
  exchange.host = UrlHost(options.url);
  exchange.port = UrlPort(options.url);
  // The system would keep only the low 16 bits of a larger port and connect elsewhere.
  if (exchange.port > 65535) return std::nullopt;
  exchange.secure = secure;
  exchange.method = std::string(kMethodNames[method]);
  exchange.path = UrlPath(options.url);
  exchange.noCookies = options.cookies.has_value();
  exchange.followRedirects = !options.noRedirect;
  exchange.verifyCertificates = options.verifyCertificates;
  exchange.timeoutMs = (options.timeoutSeconds < 1 ? 30 : options.timeoutSeconds) * 1000;

  if (options.completeHeaders.value_or(true)) {
    if (headerText.empty()) headerText = "Accept: */*";
    // The agent went to the system already, so no User-Agent line is added.
    headerText = CompleteStandardHeaders(std::move(headerText), options.url,
                                         /*withUserAgent=*/false, method == kMethodPost);
  }
  if (options.cookies && !options.cookies->empty()) {
    if (gbk::find(*options.cookies, "Cookie:") != gbk::npos)
      (headerText += "\r\n") += *options.cookies;
    else
      (headerText += "\r\nCookie: ") += *options.cookies;
  }
  exchange.headerText = std::move(headerText);
  if (method != 0) exchange.body = options.bodyBytes.empty() ? options.body : options.bodyBytes;
  return exchange;
}

std::string InetRequest(InetRequestOptions& options) {
  auto exchange = PrepareInternetExchange(options);
  if (!exchange) {
    options.error = HttpError::kBadAddress;
    return {};
  }
  platform::InternetReply reply = platform::exchangeThroughInternet(*exchange);
  options.error = reply.failure;
  if (!reply.requestOpened) return {};

  if (exchange->body && options.bodyBytes.empty()) options.bodyBytes = *exchange->body;
  options.status = reply.status;
  options.responseHeaders = HeaderBufferText(reply.rawHeaders);
  options.responseCookies = CollectResponseCookies(options.responseHeaders);
  if (options.mergeCookies.value_or(true) && options.cookies)
    options.responseCookies = MergeCookies(*options.cookies, options.responseCookies);
  return std::move(reply.body);
}

}  // namespace net
