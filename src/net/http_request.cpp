#include "net/http_request.h"

#include "net/base64.h"
#include "net/http_constants.h"
#include "net/http_cookies.h"
#include "net/http_headers.h"
#include "platform/gbk_text.h"

namespace net {
namespace {

constexpr int kDefaultTimeoutMs = 15000;

void addHeaderLines(platform::ObjectExchange& exchange, const std::string& headerText) {
  auto add = [&](std::string_view line) {
    std::string name = HeaderName(line);
    // A line without a name gives nothing to set.
    if (!name.empty()) exchange.headers.push_back({name, HeaderValue(line)});
  };
  if (gbk::find(headerText, "\r\n") == gbk::npos) {
    add(headerText);
    return;
  }
  for (const std::string& line : SplitLines(headerText)) {
    if (line.empty()) continue;
    // The object keeps its connections alive by itself.
    if (HeaderName(line) == "Connection" && HeaderValue(line) == "keep-alive") continue;
    add(line);
  }
}

}  // namespace

std::string WithoutCookiePrefixes(const std::string& cookies) {
  if (cookies.empty() || gbk::find(cookies, "Cookie:", 0, /*ignoreCase=*/true) == gbk::npos)
    return cookies;
  return gbk::replaceAll(cookies, "Cookie:", "", /*ignoreCase=*/true);
}

platform::ObjectExchange PrepareObjectExchange(const HttpRequestOptions& options) {
  platform::ObjectExchange exchange;
  const int method = clampMethod(options.method);
  exchange.method = std::string(kMethodNames[method]);
  exchange.url = options.url;
  if (options.timeoutSeconds != -1)
    exchange.timeoutMs =
        options.timeoutSeconds < 1 ? kDefaultTimeoutMs : options.timeoutSeconds * 1000;
  exchange.totalMs = options.totalMs;
  exchange.proxy = options.proxy;
  exchange.followRedirects = !options.noRedirect;
  exchange.verifyCertificates = options.verifyCertificates;

  std::string headerText = options.headers;
  if (options.completeHeaders.value_or(true))
    headerText = CompleteStandardHeaders(std::move(headerText), options.url,
                                         /*withUserAgent=*/true, method == kMethodPost);
  if (options.normaliseHeaderNames.value_or(true)) headerText = NormaliseHeaderNames(headerText);

  if (!options.proxy.empty() && !options.proxyUser.empty()) {
    const int target = options.credentialTarget.value_or(1);
    // The object knows two targets, 0 (the server) and 1 (the proxy), and refuses others.
    if (target == 0 || target == 1)
      exchange.credentials = {options.proxyUser, options.proxyPassword, target == 1};
    if (target == 1) {
      exchange.headers.push_back(
          {"Proxy-Authorization",
           "Basic " + Base64Encode(options.proxyUser + ":" + options.proxyPassword)});
    }
  }
  if (options.cookies)
    exchange.headers.push_back({"Cookie", WithoutCookiePrefixes(*options.cookies)});
  addHeaderLines(exchange, headerText);

  exchange.body = options.bodyBytes.empty() ? options.body : options.bodyBytes;
  return exchange;
}

std::string HttpRequest(HttpRequestOptions& options) {
  platform::ObjectExchange exchange = PrepareObjectExchange(options);
  platform::ObjectReply reply =
      platform::exchangeThroughObject(exchange, options.sharedObject.get());
  options.error = reply.failure;
  if (!reply.objectCreated) return {};

  if (options.cookies) *options.cookies = WithoutCookiePrefixes(*options.cookies);
  options.responseHeaders = std::move(reply.headers);
  options.status = reply.status;
  options.responseCookies = CollectResponseCookies(options.responseHeaders);
  if (options.mergeCookies.value_or(true) && options.cookies)
    options.responseCookies = MergeCookies(*options.cookies, options.responseCookies);
  return std::move(reply.body);
}

std::shared_ptr<HttpRequestObject> CreateRequestObject() {
  return platform::createHttpRequestObject();
}

}  // namespace net
