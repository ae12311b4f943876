// Both request routes on libcurl. The routes differ only in what they are given (header fields
// or a header text, a proxy address or the system's proxy text) and in how they hand back the
// response headers; everything else is one transfer.
#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string_view>

#include "platform/http_client.h"

namespace platform {

class HttpRequestObject {
 public:
  HttpRequestObject() : handle(curl_easy_init()) {}
  ~HttpRequestObject() {
    if (handle) curl_easy_cleanup(handle);
  }
  HttpRequestObject(const HttpRequestObject&) = delete;
  HttpRequestObject& operator=(const HttpRequestObject&) = delete;

  // A handle keeps its cookie handling on once a transfer turned it on, and resetting it loses
  // (leaks) the cookie list it was given: a handle whose cookie handling ran is replaced, not
  // reset, so every exchange starts with a store of its own.
  void prepareFor(bool cookieEngine) {
    if (cookieEngineOn) {
      if (CURL* fresh = curl_easy_init()) {
        curl_easy_cleanup(handle);
        handle = fresh;
        cookieEngineOn = false;
      }
    }
    cookieEngineOn = cookieEngineOn || cookieEngine;
  }

  std::mutex busy;  // the handle runs one transfer at a time
  CURL* handle;
  bool cookieEngineOn = false;
};

namespace {

constexpr const char* kCaFileEnv = "QUORVIX_CA_FILE";

void initialiseCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool isHttpsUrl(std::string_view url) { return equalsIgnoringCase(url.substr(0, 8), "https://"); }

// A line break inside a field would start a header line of its own.
std::string singleLine(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

// Request fields with the request object's rules: a later field replaces an earlier one of the
// same name (in its place), an empty value removes it.
void setField(std::vector<HttpField>& fields, std::string_view name, std::string_view value) {
  for (auto it = fields.begin(); it != fields.end(); ++it) {
    if (!equalsIgnoringCase(it->name, name)) continue;
    if (value.empty())
      fields.erase(it);
    else
      it->value = value;
    return;
  }
  if (!value.empty()) fields.push_back({std::string(name), std::string(value)});
}

bool hasField(const std::vector<HttpField>& fields, std::string_view name) {
  for (const auto& field : fields)
    if (equalsIgnoringCase(field.name, name)) return true;
  return false;
}

// What one transfer collects: the last response's status line, fields and body.
struct Collected {
  std::string statusLine;
  std::vector<HttpField> fields;
  std::string body;
  std::size_t headerBytes = 0;
  bool tooLarge = false;
};

std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* user) {
  auto& collected = *static_cast<Collected*>(user);
  const std::size_t bytes = size * count;
  collected.headerBytes += bytes;
  if (collected.headerBytes > kMaxHttpHeaderBytes) {
    collected.tooLarge = true;
    return 0;
  }
  std::string_view line(data, bytes);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.substr(0, 5) == "HTTP/") {
    // A new response (after a redirect or an interim 100): only the last one counts.
    collected.statusLine = line;
    collected.fields.clear();
    collected.body.clear();
  } else if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
    if (!collected.fields.empty()) (collected.fields.back().value += ' ') += trimmed(line);
  } else if (auto colon = line.find(':'); colon != std::string_view::npos) {
    collected.fields.push_back({std::string(trimmed(line.substr(0, colon))),
                                std::string(trimmed(line.substr(colon + 1)))});
  }
  return bytes;
}

std::size_t onBodyBytes(char* data, std::size_t size, std::size_t count, void* user) {
  auto& collected = *static_cast<Collected*>(user);
  const std::size_t bytes = size * count;
  const std::size_t room = kMaxHttpBodyBytes - collected.body.size();
  if (bytes > room) {
    collected.body.append(data, room);
    collected.tooLarge = true;
    return 0;
  }
  collected.body.append(data, bytes);
  return bytes;
}

CURLcode addExtraAuthorities(CURL*, void* sslContext, void* caFile) {
  X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
  if (X509_STORE_load_locations(store, static_cast<const char*>(caFile), nullptr) != 1)
    return CURLE_SSL_CACERT_BADFILE;
  return CURLE_OK;
}

// The proxy for one scheme out of a system proxy text ("host:port", "http=host:port",
// "SOCKS=host:port", several separated by ";" or spaces), as a libcurl proxy URL.
std::string proxyUrlFor(std::string_view proxyText, bool secure) {
  std::string plain, forScheme, socks;
  std::size_t at = 0;
  while (at < proxyText.size()) {
    std::size_t end = proxyText.find_first_of("; ", at);
    if (end == std::string_view::npos) end = proxyText.size();
    std::string_view entry = proxyText.substr(at, end - at);
    at = end + 1;
    if (entry.empty()) continue;
    std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      if (plain.empty()) plain = entry;
      continue;
    }
    std::string_view scheme = entry.substr(0, equals), server = entry.substr(equals + 1);
    if (equalsIgnoringCase(scheme, "socks"))
      socks = server;
    else if (equalsIgnoringCase(scheme, secure ? "https" : "http"))
      forScheme = server;
  }
  auto withPort = [](std::string server, const char* port) {
    if (server.find(':') == std::string::npos) (server += ':') += port;
    return server;
  };
  // The system's SOCKS support speaks version 4 and resolves names itself.
  if (!socks.empty()) return "socks4://" + withPort(socks, "1080");
  std::string server = !forScheme.empty() ? forScheme : plain;
  if (server.empty()) return {};
  if (server.find("://") == std::string::npos) server = "http://" + withPort(server, "80");
  return server;
}

struct Transfer {
  std::string url;
  std::string method;
  std::optional<std::string> body;
  std::vector<HttpField> fields;
  std::optional<std::string> userAgent;
  std::string proxyUrl;
  std::optional<ObjectExchange::Credentials> credentials;
  bool followRedirects = true;
  bool verifyCertificates = true;
  bool cookieEngine = true;
  long connectMs = 60000, idleMs = 30000, totalMs = 150000;
};

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// What a transfer that ended with `code` tells about the exchange. `message` is libcurl's own
// account of the fault; `requestSent` tells a reply that could not be read from an address
// that could not be used.
HttpFailure failureOf(CURLcode code, const Collected& collected, std::string_view message,
                      bool requestSent) {
  if (collected.tooLarge) return HttpFailure::kTooLarge;
  // "HTTP/1.1 100 Continue" as the last status line: no final reply followed it.
  const std::size_t space = collected.statusLine.find(' ');
  const bool interimOnly =
      space != std::string::npos && collected.statusLine.compare(space + 1, 1, "1") == 0;
  switch (code) {
    case CURLE_OK:
      return HttpFailure::kNone;
    case CURLE_UNSUPPORTED_PROTOCOL:
      if (contains(message, "HTTP/0.9")) return HttpFailure::kNotHttp;
      if (contains(message, "Unsupported HTTP version") ||
          contains(message, "Unsupported response code"))
        return HttpFailure::kBadStatus;
      // A redirect that would leave https for plain http: the redirect itself is the reply.
      if (!collected.statusLine.empty()) return HttpFailure::kRedirect;
      return requestSent ? HttpFailure::kNotHttp : HttpFailure::kBadAddress;
    case CURLE_WEIRD_SERVER_REPLY:
      return collected.statusLine.empty() ? HttpFailure::kNotHttp : HttpFailure::kBadStatus;
    case CURLE_TOO_MANY_REDIRECTS:
      return HttpFailure::kRedirect;
    case CURLE_URL_MALFORMAT:
      return HttpFailure::kBadAddress;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
      return HttpFailure::kConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return HttpFailure::kTimeout;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return HttpFailure::kCertificate;
    case CURLE_RECV_ERROR:
      if (contains(message, "chunk")) return HttpFailure::kBadChunk;
      return interimOnly ? HttpFailure::kNoFinalReply : HttpFailure::kTransfer;
    default:
      return interimOnly ? HttpFailure::kNoFinalReply : HttpFailure::kTransfer;
  }
}

struct Outcome {
  Collected collected;
  int status = 0;
  HttpFailure failure = HttpFailure::kNone;
};

Outcome perform(CURL* handle, const Transfer& transfer) {
  Outcome outcome;
  curl_easy_reset(handle);
  curl_easy_setopt(handle, CURLOPT_URL, transfer.url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);

  const bool secure = isHttpsUrl(transfer.url);
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, transfer.followRedirects ? 1L : 0L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
  // Never from https down to plain http; plain http may move up to https.
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");

  curl_slist* headers = nullptr;
  curl_slist* proxyHeaders = nullptr;
  for (const auto& field : transfer.fields) {
    std::string line = singleLine(field.name) + ": " + singleLine(field.value);
    if (equalsIgnoringCase(field.name, "Proxy-Authorization"))
      proxyHeaders = curl_slist_append(proxyHeaders, line.c_str());
    else
      headers = curl_slist_append(headers, line.c_str());
  }
  // libcurl's own additions that the system's routes do not make.
  headers = curl_slist_append(headers, "Expect:");
  if (!hasField(transfer.fields, "Accept")) headers = curl_slist_append(headers, "Accept:");

  const std::string& method = transfer.method;
  if (method == "HEAD") {
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  } else if (method == "GET") {
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  } else {
    const bool sendsBody =
        transfer.body && (!transfer.body->empty() || method == "POST" || method == "PUT");
    if (sendsBody) {
      curl_easy_setopt(handle, CURLOPT_POSTFIELDS, transfer.body->data());
      curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(transfer.body->size()));
      if (!hasField(transfer.fields, "Content-Type"))
        headers = curl_slist_append(headers, "Content-Type:");
    }
    if (method != "POST" || !sendsBody)
      curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, method.c_str());
  }
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle, CURLOPT_PROXYHEADER, proxyHeaders);
  if (transfer.userAgent) curl_easy_setopt(handle, CURLOPT_USERAGENT, transfer.userAgent->c_str());

  curl_easy_setopt(handle, CURLOPT_PROXY, transfer.proxyUrl.c_str());
  curl_easy_setopt(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  if (transfer.credentials) {
    const auto& credentials = *transfer.credentials;
    if (credentials.forProxy) {
      curl_easy_setopt(handle, CURLOPT_PROXYUSERNAME, credentials.user.c_str());
      curl_easy_setopt(handle, CURLOPT_PROXYPASSWORD, credentials.password.c_str());
      curl_easy_setopt(handle, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    } else {
      // Offered only when the server asks, and never to another host after a redirect.
      curl_easy_setopt(handle, CURLOPT_USERNAME, credentials.user.c_str());
      curl_easy_setopt(handle, CURLOPT_PASSWORD, credentials.password.c_str());
      curl_easy_setopt(handle, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
    }
  }

  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, transfer.verifyCertificates ? 1L : 0L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, transfer.verifyCertificates ? 2L : 0L);
  const char* caFile = std::getenv(kCaFileEnv);
  if (transfer.verifyCertificates && caFile && *caFile) {
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, addExtraAuthorities);
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, caFile);
  }

  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, transfer.connectMs);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, transfer.totalMs);
  // A reply that stalls for the receive time-out ends the transfer, as the system's does.
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, std::max(1L, (transfer.idleMs + 999) / 1000));

  // A cookie a redirect reply sets goes on to the redirect's target, as the system's cookie
  // handling does; the store lives for this exchange only.
  curl_easy_setopt(handle, CURLOPT_COOKIELIST, "ALL");
  if (transfer.cookieEngine) curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");

  char message[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, message);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, onHeaderLine);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &outcome.collected);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, onBodyBytes);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &outcome.collected);

  CURLcode code = curl_easy_perform(handle);
  curl_slist_free_all(headers);
  curl_slist_free_all(proxyHeaders);

  long status = 0, requestBytes = 0;
  if (!outcome.collected.statusLine.empty())
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_getinfo(handle, CURLINFO_REQUEST_SIZE, &requestBytes);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, nullptr);
  outcome.status = int(status);
  outcome.failure = failureOf(code, outcome.collected, message, requestBytes > 0);
  return outcome;
}

void applyTimeouts(Transfer& transfer, long perPhaseMs, int phases) {
  transfer.connectMs = perPhaseMs;
  transfer.idleMs = perPhaseMs;
  transfer.totalMs = perPhaseMs * phases;
}

}  // namespace

std::shared_ptr<HttpRequestObject> createHttpRequestObject() {
  initialiseCurl();
  auto object = std::make_shared<HttpRequestObject>();
  if (!object->handle) return nullptr;
  return object;
}

ObjectReply exchangeThroughObject(const ObjectExchange& request, HttpRequestObject* shared) {
  ObjectReply reply;
  std::shared_ptr<HttpRequestObject> own;
  HttpRequestObject* object = shared;
  if (!object) {
    own = createHttpRequestObject();
    object = own.get();
  }
  if (!object) {
    reply.failure = HttpFailure::kUnavailable;
    return reply;
  }
  reply.objectCreated = true;

  Transfer transfer;
  transfer.url = request.url;
  transfer.method = request.method;
  transfer.body = request.body;
  for (const auto& field : request.headers) setField(transfer.fields, field.name, field.value);
  transfer.proxyUrl = proxyUrlFor(request.proxy, isHttpsUrl(request.url));
  transfer.credentials = request.credentials;
  transfer.followRedirects = request.followRedirects;
  transfer.verifyCertificates = request.verifyCertificates;
  // The caller's own cookies, even none, are the whole Cookie header: the object adds none.
  transfer.cookieEngine = !hasField(request.headers, "Cookie");
  // The object's own time-outs: connect 60 s, send and receive 30 s each.
  if (request.timeoutMs) applyTimeouts(transfer, *request.timeoutMs, 4);
  if (request.totalMs) transfer.totalMs = std::max(1L, long(*request.totalMs));

  std::lock_guard<std::mutex> lock(object->busy);
  object->prepareFor(transfer.cookieEngine);
  Outcome outcome = perform(object->handle, transfer);
  reply.status = outcome.status;
  reply.failure = outcome.failure;
  reply.body = std::move(outcome.collected.body);
  if (!outcome.collected.statusLine.empty()) {
    for (const auto& field : outcome.collected.fields)
      ((reply.headers += field.name) += ": ") += field.value + "\r\n";
    reply.headers += "\r\n";
  }
  return reply;
}

InternetReply exchangeThroughInternet(const InternetExchange& request) {
  InternetReply reply;
  initialiseCurl();
  if (request.host.empty()) {
    reply.failure = HttpFailure::kBadAddress;
    return reply;
  }
  CURL* handle = curl_easy_init();
  if (!handle) {
    reply.failure = HttpFailure::kUnavailable;
    return reply;
  }
  reply.requestOpened = true;

  Transfer transfer;
  transfer.url = std::string(request.secure ? "https://" : "http://") + request.host;
  if (request.port != 0) transfer.url += ":" + std::to_string(request.port);
  transfer.url +=
      request.path.empty() || request.path[0] != '/' ? "/" + request.path : request.path;
  transfer.method = request.method;
  transfer.body = request.body;
  std::string_view text = request.headerText;
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 2;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || trimmed(line.substr(0, colon)).empty()) continue;
    setField(transfer.fields, trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
  }
  transfer.userAgent = request.agent;
  transfer.proxyUrl = proxyUrlFor(request.proxy, request.secure);
  transfer.followRedirects = request.followRedirects;
  transfer.verifyCertificates = request.verifyCertificates;
  // A caller that brings its own cookies keeps the system's cookie handling out.
  transfer.cookieEngine = !request.noCookies;
  applyTimeouts(transfer, request.timeoutMs, 4);

  Outcome outcome = perform(handle, transfer);
  curl_easy_cleanup(handle);
  reply.status = outcome.status;
  reply.failure = outcome.failure;
  reply.body = std::move(outcome.collected.body);
  if (!outcome.collected.statusLine.empty()) {
    std::string raw = outcome.collected.statusLine + "\r\n";
    for (const auto& field : outcome.collected.fields)
      ((raw += field.name) += ": ") += field.value + "\r\n";
    reply.rawHeaders = raw + "\r\n";
  }
  return reply;
}

}  // namespace platform
