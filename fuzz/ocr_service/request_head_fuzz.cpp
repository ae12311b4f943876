// Request heads as any client may send them, whole or cut anywhere. Besides not crashing: a
// head is only ever taken within its bounds, a refusal is one of the statuses the service
// answers with, and a head that is complete stays complete, the same, with more bytes after it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ocr_service/http_messages.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ocr_service;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const HeadReading reading = readRequestHead(input);
  switch (reading.state) {
    case HeadState::kIncomplete:
      require(input.size() < kMaxHeadBytes);
      break;
    case HeadState::kRefused:
      require(reading.refusal == 400 || reading.refusal == 417 || reading.refusal == 431 ||
              reading.refusal == 501);
      break;
    case HeadState::kComplete: {
      require(reading.headBytes > 0 && reading.headBytes <= input.size());
      require(reading.headBytes <= kMaxHeadBytes);
      require(!reading.head.target.empty() && reading.head.target[0] == '/');
      const HeadReading again = readRequestHead(std::string(input) + "GET / HTTP/1.1\r\n");
      require(again.state == HeadState::kComplete && again.headBytes == reading.headBytes);
      require(again.head.contentLength == reading.head.contentLength);
      break;
    }
  }
  return 0;
}
