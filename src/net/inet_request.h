// InetRequest: one exchange through the internet functions (the route the OCR client uses).
// The options are resolved here (agent, proxy text, host, port and path, completed header
// text, cookies, the 5000-byte header buffer); the platform's HTTP service carries it.
#pragma once
#include <optional>
#include <string>

#include "net/http_request.h"
#include "platform/http_client.h"

namespace net {

struct InetRequestOptions {
  std::string url;
  int method = 0;  // index into the method table; outside 0-7 means GET
  std::string body;
  // Presence matters: a given text, even empty, also keeps the system's cookie store out of
  // the exchange and allows merging.
  std::optional<std::string> cookies;
  std::string responseCookies;  // out
  std::string headers;          // extra header lines, CR LF between them
  std::string responseHeaders;  // out: raw, status line first; 5000 spaces when they do not fit
  bool noRedirect = false;
  std::string bodyBytes;  // in and out: a method other than GET fills it from body when empty
  std::string proxy;
  std::optional<bool> mergeCookies;          // left out means true
  std::optional<bool> completeHeaders;       // left out means true
  std::optional<bool> normaliseHeaderNames;  // left out means true
  bool socksProxy = false;
  // Connect, send and receive time-outs; the whole exchange ends within four times this.
  int timeoutSeconds = 30;
  // Nothing in the program turns this off: see HttpRequestOptions.
  bool verifyCertificates = true;
  int status = 0;                      // out: the reply's status code, 0 when none came
  HttpError error = HttpError::kNone;  // out
};

// The response body; empty when no request could be opened (the out-fields other than
// `error` are then left as they were).
std::string InetRequest(InetRequestOptions& options);

// The exchange InetRequest asks of the HTTP service; nullopt when the URL's port is out of
// range, so that no connection can be made.
std::optional<platform::InternetExchange> PrepareInternetExchange(
    const InetRequestOptions& options);

// The agent given to the system: the caller's User-Agent header line, else the default.
std::string UserAgentOf(const std::string& headerText);

// The proxy text for a proxy address: a SOCKS proxy, a proxy for every scheme (https URLs)
// or for http only.
std::string ProxyText(const std::string& proxy, bool socks, bool secureUrl);

// Raw response headers as a 5000-byte buffer holds them: the text when it fits with its
// terminating zero, else 5000 spaces.
std::string HeaderBufferText(const std::optional<std::string>& rawHeaders);

}  // namespace net
