// HttpRequest: one exchange through the scriptable request object. The options are resolved
// here (method table, time-outs, proxy and its credentials, completed and normalised header
// lines, cookies); the platform's HTTP service carries the exchange.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/http_client.h"

namespace net {

using HttpError = platform::HttpFailure;
using platform::HttpRequestObject;

// Fields marked "presence matters" tell a value the caller gave from one it left out.
struct HttpRequestOptions {
  std::string url;
  int method = 0;  // index into the method table; outside 0-7 means GET
  std::string body;
  // In and out; presence matters. Sent as the Cookie header; "Cookie:" prefixes are removed
  // from it and the caller's text is rewritten without them.
  std::optional<std::string> cookies;
  std::string responseCookies;  // out
  std::string headers;          // extra header lines, CR LF between them
  std::string responseHeaders;  // out
  int status = 0;               // out
  bool noRedirect = false;
  std::string bodyBytes;  // sent instead of body when not empty
  std::string proxy;
  int timeoutSeconds = 0;  // -1: the object's own time-outs; below 1: 15 s
  // The whole exchange, whatever its phases take; nullopt: no bound beyond the phases' own.
  std::optional<int> totalMs;
  std::string proxyUser;
  std::string proxyPassword;
  std::optional<int> credentialTarget;              // presence matters: left out means 1, the proxy
  std::shared_ptr<HttpRequestObject> sharedObject;  // when set, the exchange runs on it
  std::optional<bool> mergeCookies;                 // left out means true
  std::optional<bool> completeHeaders;              // left out means true
  std::optional<bool> normaliseHeaderNames;         // left out means true
  // Accepting any certificate hands what is sent to whoever sits on the path: nothing in the
  // program turns this off.
  bool verifyCertificates = true;
  HttpError error = HttpError::kNone;  // out: why nothing or only part of a reply came
};

// The response body; empty when the request object cannot be had (the out-fields other than
// `error` are then left as they were).
std::string HttpRequest(HttpRequestOptions& options);

// The exchange HttpRequest asks of the HTTP service for these options, cookies included
// (without their "Cookie:" prefixes).
platform::ObjectExchange PrepareObjectExchange(const HttpRequestOptions& options);

// A cookie text with every "Cookie:" removed (any case) when it holds one.
std::string WithoutCookiePrefixes(const std::string& cookies);

// A new request object for HttpRequestOptions::sharedObject; null when there is none.
std::shared_ptr<HttpRequestObject> CreateRequestObject();

}  // namespace net
