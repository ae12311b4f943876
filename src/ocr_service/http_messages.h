// The HTTP/1.1 the service speaks, apart from sockets: a request head read from what a client
// has sent so far, within firm bounds, and a reply written out whole.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ocr_service {

// A head longer than this, or with more lines, is refused (431) instead of being held.
inline constexpr std::size_t kMaxHeadBytes = 16 * 1024;
inline constexpr int kMaxHeadLines = 100;

struct RequestHead {
  std::string method, target, contentType;
  std::uint64_t contentLength = 0;  // saturates at UINT64_MAX for absurd values
  bool keepAlive = true;
  bool expectContinue = false;
};

enum class HeadState { kIncomplete, kComplete, kRefused };

struct HeadReading {
  HeadState state = HeadState::kIncomplete;
  std::size_t headBytes = 0;  // when complete: the bytes the head took, blank line included
  int refusal = 0;            // when refused: the HTTP status to answer with
  RequestHead head;
};

// Reads the head at the start of `received` (lines end in CRLF or a bare LF).
HeadReading readRequestHead(std::string_view received);

// "HTTP/1.1 STATUS Reason" with a JSON body, its length, and whether the connection stays.
std::string replyText(int status, std::string_view jsonBody, bool keepAlive);

// The request target's path, without its query.
std::string_view pathOf(std::string_view target);

}  // namespace ocr_service
