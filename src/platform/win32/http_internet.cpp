// The internet-functions route: WinINet, a handle for the session, the connection and the
// request, the body read 1024 bytes at a time.
#include <windows.h>
// after windows.h
#include <wininet.h>

#include <optional>
#include <string>

#include "platform/http_client.h"
#include "platform/win32/http_errors.h"

namespace platform {
namespace {

using win32http::narrow;
using win32http::wide;

constexpr DWORD kReadChunk = 1024;
// What "accept any certificate" means to WinINet: no revocation check, unknown authority,
// wrong usage, wrong name, bad date, and redirects between http and https without a question.
constexpr DWORD kIgnoreEveryCertificateError = 0x1F380;

class Handle {
 public:
  explicit Handle(HINTERNET handle) : handle_(handle) {}
  ~Handle() {
    if (handle_) InternetCloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  explicit operator bool() const { return handle_ != nullptr; }
  HINTERNET get() const { return handle_; }

 private:
  HINTERNET handle_;
};

std::optional<std::string> rawHeadersOf(HINTERNET request) {
  DWORD size = 0;
  HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return std::nullopt;
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  if (!HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, text.data(), &size, nullptr))
    return std::nullopt;
  text.resize(size / sizeof(wchar_t));
  return narrow(text);
}

int statusOf(HINTERNET request) {
  DWORD status = 0, size = sizeof status;
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      nullptr))
    return 0;
  return int(status);
}

void setTimeouts(HINTERNET internet, DWORD ms) {
  for (DWORD option :
       {DWORD(INTERNET_OPTION_CONNECT_TIMEOUT), DWORD(INTERNET_OPTION_SEND_TIMEOUT),
        DWORD(INTERNET_OPTION_RECEIVE_TIMEOUT), DWORD(INTERNET_OPTION_DATA_SEND_TIMEOUT),
        DWORD(INTERNET_OPTION_DATA_RECEIVE_TIMEOUT)})
    InternetSetOptionW(internet, option, &ms, sizeof ms);
}

constexpr int kMaxRedirects = 10;

struct Target {
  std::wstring host;
  INTERNET_PORT port;
  bool secure;
  std::wstring path;
};

std::wstring urlOf(const Target& target) {
  return std::wstring(target.secure ? L"https://" : L"http://") + target.host + L":" +
         std::to_wstring(target.port     ? target.port
                         : target.secure ? 443
                                         : 80) +
         target.path;
}

bool isRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Where a redirect leads, or nullopt when it is not to be followed: a scheme other than http
// and https, or plain http after https.
std::optional<Target> redirectTarget(HINTERNET request, const Target& from) {
  DWORD size = 0;
  HttpQueryInfoW(request, HTTP_QUERY_LOCATION, nullptr, &size, nullptr);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return std::nullopt;
  std::wstring location(size / sizeof(wchar_t) + 1, L'\0');
  if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr))
    return std::nullopt;
  location.resize(size / sizeof(wchar_t));

  const std::wstring base = urlOf(from);
  DWORD length = 0;
  InternetCombineUrlW(base.c_str(), location.c_str(), nullptr, &length, 0);
  if (length == 0) return std::nullopt;
  std::wstring url(length + 1, L'\0');
  if (!InternetCombineUrlW(base.c_str(), location.c_str(), url.data(), &length, 0))
    return std::nullopt;
  url.resize(length);

  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = DWORD(-1);
  if (!InternetCrackUrlW(url.c_str(), DWORD(url.size()), 0, &parts)) return std::nullopt;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
    return std::nullopt;
  Target to;
  to.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  if (from.secure && !to.secure) return std::nullopt;
  to.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  to.port = parts.nPort;
  to.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  to.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (to.path.empty() || to.path[0] != L'/') to.path.insert(0, L"/");
  return to;
}

// The body, at most 1024 bytes a read. Each read takes only what has arrived, so that a reply
// trickling in byte by byte still ends at the deadline.
void readBody(HINTERNET request, DWORD deadline, InternetReply& reply) {
  char chunk[kReadChunk];
  for (;;) {
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0)) {
      reply.failure = win32http::failureOfError(GetLastError());
      return;
    }
    if (available == 0) return;
    DWORD count = 0;
    if (!InternetReadFile(request, chunk, available < kReadChunk ? available : kReadChunk,
                          &count)) {
      reply.failure = win32http::failureOfError(GetLastError());
      return;
    }
    if (count == 0) return;
    if (reply.body.size() + count > kMaxHttpBodyBytes) {
      reply.body.append(chunk, kMaxHttpBodyBytes - reply.body.size());
      reply.failure = HttpFailure::kTooLarge;
      return;
    }
    reply.body.append(chunk, count);
    if (LONG(GetTickCount() - deadline) > 0) {
      reply.failure = HttpFailure::kTimeout;
      return;
    }
  }
}

}  // namespace

InternetReply exchangeThroughInternet(const InternetExchange& request) {
  InternetReply reply;
  const std::wstring agent = wide(request.agent), proxy = wide(request.proxy);
  Handle internet(InternetOpenW(
      agent.c_str(), request.proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY,
      request.proxy.empty() ? nullptr : proxy.c_str(), L"", 0));
  if (!internet) {
    reply.failure = HttpFailure::kUnavailable;
    return reply;
  }
  const DWORD timeoutMs = DWORD(request.timeoutMs);
  setTimeouts(internet.get(), timeoutMs);
  const DWORD deadline = GetTickCount() + 4 * timeoutMs;

  Target target{wide(request.host), INTERNET_PORT(request.port), request.secure,
                wide(request.path)};
  std::wstring method = wide(request.method);
  const std::string* body = request.body ? &*request.body : nullptr;
  const std::wstring headers = wide(request.headerText);
  for (int hop = 0;; ++hop) {
    Handle connection(InternetConnectW(internet.get(), target.host.c_str(), target.port, L"", L"",
                                       INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) {
      reply.failure = win32http::failureOfError(GetLastError());
      return reply;
    }
    // Redirects are followed here rather than by the system, so that none leads from https
    // down to plain http whatever the system would do.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (request.noCookies) flags |= INTERNET_FLAG_NO_COOKIES;
    flags |= target.secure ? INTERNET_FLAG_SECURE : INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
    Handle handle(HttpOpenRequestW(connection.get(), method.c_str(), target.path.c_str(),
                                   L"HTTP/1.1", nullptr, nullptr, flags, 0));
    if (!handle) {
      reply.failure = win32http::failureOfError(GetLastError());
      return reply;
    }
    reply.requestOpened = true;
    setTimeouts(handle.get(), timeoutMs);
    // Chain and name are checked; revocation is not, as on the other route and natively: an
    // unreachable revocation list would otherwise stop every request on a closed network.
    DWORD security =
        request.verifyCertificates ? SECURITY_FLAG_IGNORE_REVOCATION : kIgnoreEveryCertificateError;
    InternetSetOptionW(handle.get(), INTERNET_OPTION_SECURITY_FLAGS, &security, sizeof security);

    const DWORD sendStart = GetTickCount();
    if (!HttpSendRequestW(handle.get(), headers.empty() ? nullptr : headers.c_str(),
                          DWORD(headers.size()), body ? const_cast<char*>(body->data()) : nullptr,
                          body ? DWORD(body->size()) : 0)) {
      reply.failure = win32http::failureOfError(GetLastError());
      // Wine reports a receive time-out as an aborted connection.
      if (reply.failure == HttpFailure::kTransfer && GetTickCount() - sendStart >= timeoutMs)
        reply.failure = HttpFailure::kTimeout;
      return reply;
    }
    const int status = statusOf(handle.get());
    if (request.followRedirects && isRedirect(status)) {
      auto next = hop < kMaxRedirects ? redirectTarget(handle.get(), target) : std::nullopt;
      if (!next) reply.failure = HttpFailure::kRedirect;
      if (next) {
        target = *next;
        // As browsers do: after 301, 302 and 303 the next request is a GET without a body.
        if (status <= 303 && method != L"HEAD") {
          method = L"GET";
          body = nullptr;
        }
        continue;
      }
    }
    readBody(handle.get(), deadline, reply);
    reply.rawHeaders = rawHeadersOf(handle.get());
    reply.status = status;
    if (reply.failure == HttpFailure::kNone && method != L"HEAD" && reply.rawHeaders &&
        win32http::cutShort(*reply.rawHeaders, reply.body.size()))
      reply.failure = HttpFailure::kTransfer;
    return reply;
  }
}

}  // namespace platform
