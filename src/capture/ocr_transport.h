// What the OCR client needs of HTTP: one exchange, request in, reply out. The program hands it
// the WinINet (or, natively, libcurl) request routine; tests hand it a fake. It may be called
// from several threads at once.
#pragma once
#include <functional>
#include <string>

namespace capture {

struct OcrHttpRequest {
  enum class Method { kGet, kPost };
  Method method = Method::kGet;
  std::string url;   // "https://host/path?query", certificates verified
  std::string body;  // POST only, sent as application/x-www-form-urlencoded
};

struct OcrHttpReply {
  bool delivered = false;  // false when no reply came back: no connection, TLS, time-out
  int status = 0;          // the HTTP status of a delivered reply
  std::string body;        // as received (UTF-8 JSON), whatever the status
};

using OcrTransport = std::function<OcrHttpReply(const OcrHttpRequest&)>;

}  // namespace capture
