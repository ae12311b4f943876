// The HTTP service: one synchronous exchange described by value, its outcome returned by value.
// Two routes, as the program has two: a scriptable request object (on Windows the WinHTTP
// request object, driven late-bound) and the internet functions (WinINet). Natively both run
// on libcurl. Certificates are verified unless a request says otherwise; the setting
// QUORVIX_CA_FILE adds trusted authorities to the native build, for tests.
#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class HttpFailure {
  kNone,
  kUnavailable,   // the request object or library could not be had
  kBadAddress,    // the URL, host or port cannot be used
  kConnect,       // no connection (refused, unreachable, unknown host, proxy refused)
  kTimeout,       // a time-out ran out
  kCertificate,   // the server's certificate is untrusted, expired or for another name
  kRedirect,      // a redirect was not followed (https to plain http, or too many); the
                  // redirect is the reply
  kTransfer,      // the connection broke or the reply was malformed
  kTooLarge,      // the reply was larger than a reply may be; what fitted was kept
  kNotHttp,       // what came back is no HTTP reply at all
  kBadStatus,     // the status line came without a status code that can be read
  kBadChunk,      // a chunked body broke its own framing
  kNoFinalReply,  // only an interim reply (100 Continue) came before the connection ended
};

// Largest body and header block kept from one reply; the rest ends the exchange.
inline constexpr std::size_t kMaxHttpBodyBytes = std::size_t(64) << 20;
inline constexpr std::size_t kMaxHttpHeaderBytes = std::size_t(1) << 20;

struct HttpField {
  std::string name, value;
};

// ---- The request-object route ----

// A request object kept by a caller to run several exchanges on. One exchange at a time.
class HttpRequestObject;
// Null when the system has no request object.
std::shared_ptr<HttpRequestObject> createHttpRequestObject();

struct ObjectExchange {
  std::string method;  // "GET", "POST", ...
  std::string url;
  std::optional<int> timeoutMs;  // resolve, connect, send and receive; nullopt: the object's own
  // The whole exchange, whatever its phases take; nullopt: about four times timeoutMs when that
  // is given, else no bound of its own. A late reply is then a time-out.
  std::optional<int> totalMs;
  std::string proxy;  // a named proxy, "host:port"; empty: no proxy setting
  bool followRedirects = true;
  bool verifyCertificates = true;
  struct Credentials {
    std::string user, password;
    bool forProxy = true;  // else for the server
  };
  std::optional<Credentials> credentials;
  // Set in order: a later field of the same name replaces an earlier one, an empty value
  // removes the field.
  std::vector<HttpField> headers;
  std::string body;  // bytes; a GET or HEAD sends none
};

struct ObjectReply {
  bool objectCreated = false;  // false: nothing was sent, nothing below was read
  std::string body;
  // Every response header as "Name: value" CR LF, then CR LF; empty when no reply came.
  std::string headers;
  int status = 0;
  HttpFailure failure = HttpFailure::kNone;
};

// Runs on `shared` when given, else on a new object.
ObjectReply exchangeThroughObject(const ObjectExchange& request,
                                  HttpRequestObject* shared = nullptr);

// ---- The internet-functions route ----

struct InternetExchange {
  std::string agent;
  // The proxy as the system reads it: "host:port" for every scheme, "http=host:port" for http
  // only, "SOCKS=host:port" for a SOCKS proxy; empty: a direct connection.
  std::string proxy;
  std::string host;
  int port = 0;  // 0: the scheme's default
  bool secure = false;
  std::string method;      // "GET", "POST", ...
  std::string path;        // with its query
  bool noCookies = false;  // keep the system's cookie store out of this exchange
  bool followRedirects = true;
  bool verifyCertificates = true;
  std::string headerText;           // "Name: value" lines joined by CR LF
  std::optional<std::string> body;  // nullopt: no data at all
  int timeoutMs = 30000;            // connect, send and receive each
};

struct InternetReply {
  bool requestOpened = false;  // false: a handle could not be opened and nothing was sent
  std::string body;
  // The status line and the headers, each ending in CR LF, then CR LF; nullopt when no reply
  // came.
  std::optional<std::string> rawHeaders;
  int status = 0;
  HttpFailure failure = HttpFailure::kNone;
};

InternetReply exchangeThroughInternet(const InternetExchange& request);

}  // namespace platform
