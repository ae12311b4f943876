#include "ocr_service/http_messages.h"

#include <algorithm>

namespace ocr_service {
namespace {

constexpr std::string_view kBlank = " \t";

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool sameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

// Does a comma-separated header value hold this word (any letter case)?
bool holdsWord(std::string_view value, std::string_view word) {
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    if (sameLetters(trimmed(value.substr(0, comma)), word)) return true;
    value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
  }
  return false;
}

bool isTokenChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool isToken(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), isTokenChar);
}

// Digits only; values too large for 64 bits saturate, and are refused as too long later.
bool parseLength(std::string_view text, std::uint64_t& length) {
  if (text.empty()) return false;
  length = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const unsigned digit = unsigned(c - '0');
    length = length > (UINT64_MAX - digit) / 10 ? UINT64_MAX : length * 10 + digit;
  }
  return true;
}

HeadReading refused(int status) {
  HeadReading reading;
  reading.state = HeadState::kRefused;
  reading.refusal = status;
  return reading;
}

bool readRequestLine(std::string_view line, RequestHead& head, bool& http10) {
  const std::size_t first = line.find(' '), last = line.rfind(' ');
  if (first == std::string_view::npos || first == last) return false;
  const std::string_view method = line.substr(0, first);
  const std::string_view target = line.substr(first + 1, last - first - 1);
  const std::string_view version = line.substr(last + 1);
  if (!isToken(method) || target.empty() || target[0] != '/' ||
      target.find_first_of(" \t") != std::string_view::npos)
    return false;
  if (version != "HTTP/1.1" && version != "HTTP/1.0") return false;
  http10 = version == "HTTP/1.0";
  head.method = method;
  head.target = target;
  return true;
}

}  // namespace

HeadReading readRequestHead(std::string_view received) {
  HeadReading reading;
  RequestHead& head = reading.head;
  bool http10 = false, sawLine = false, sawLength = false;
  int lines = 0;
  std::string_view connection;
  std::size_t at = 0;
  while (true) {
    const std::size_t end = received.find('\n', at);
    if (end == std::string_view::npos)
      return received.size() >= kMaxHeadBytes ? refused(431) : HeadReading{};
    if (end + 1 > kMaxHeadBytes || ++lines > kMaxHeadLines) return refused(431);
    std::string_view line = received.substr(at, end - at);
    if (line.ends_with('\r')) line.remove_suffix(1);
    at = end + 1;
    if (!sawLine) {
      // Blank lines before a request are tolerated, as clients may send one after a body.
      if (line.empty()) continue;
      if (!readRequestLine(line, head, http10)) return refused(400);
      sawLine = true;
      continue;
    }
    if (line.empty()) break;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !isToken(line.substr(0, colon))) return refused(400);
    const std::string_view name = line.substr(0, colon), value = trimmed(line.substr(colon + 1));
    if (sameLetters(name, "Content-Length")) {
      std::uint64_t length = 0;
      // Two lengths that differ leave the body's end in doubt.
      if (!parseLength(value, length) || (sawLength && length != head.contentLength))
        return refused(400);
      head.contentLength = length, sawLength = true;
    } else if (sameLetters(name, "Transfer-Encoding")) {
      return refused(501);  // bodies come with a length; chunks are not taken
    } else if (sameLetters(name, "Content-Type")) {
      head.contentType = value;
    } else if (sameLetters(name, "Connection")) {
      connection = value;
    } else if (sameLetters(name, "Expect")) {
      if (!sameLetters(value, "100-continue")) return refused(417);
      head.expectContinue = true;
    }
  }
  head.keepAlive = http10 ? holdsWord(connection, "keep-alive") : !holdsWord(connection, "close");
  reading.state = HeadState::kComplete;
  reading.headBytes = at;
  return reading;
}

std::string replyText(int status, std::string_view jsonBody, bool keepAlive) {
  const char* reason = "Error";
  switch (status) {
    case 100:
      reason = "Continue";
      break;
    case 200:
      reason = "OK";
      break;
    case 400:
      reason = "Bad Request";
      break;
    case 401:
      reason = "Unauthorized";
      break;
    case 404:
      reason = "Not Found";
      break;
    case 408:
      reason = "Request Timeout";
      break;
    case 413:
      reason = "Payload Too Large";
      break;
    case 417:
      reason = "Expectation Failed";
      break;
    case 431:
      reason = "Request Header Fields Too Large";
      break;
    case 500:
      reason = "Internal Server Error";
      break;
    case 501:
      reason = "Not Implemented";
      break;
  }
  std::string text = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
  if (status == 100) return text + "\r\n";
  text += "Content-Type: application/json;charset=utf-8\r\nContent-Length: " +
          std::to_string(jsonBody.size()) +
          "\r\nConnection: " + (keepAlive ? "keep-alive" : "close") + "\r\n\r\n";
  return text.append(jsonBody);
}

std::string_view pathOf(std::string_view target) { return target.substr(0, target.find('?')); }

}  // namespace ocr_service
