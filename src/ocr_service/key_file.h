// The keys a service accepts, from a text file of its own: one "API_KEY SECRET_KEY" pair a
// line, blank lines and lines starting with "#" skipped, a UTF-8 byte order mark dropped. An API
// Key may be listed more than once, each of its secrets then being accepted.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ocr_service/recognition_service.h"

namespace ocr_service {

struct KeyFileResult {
  std::vector<ApiKeys> keys;
  int badLine = 0;  // the first line that is not a pair (1-based), 0 when all are
};

KeyFileResult parseKeyFile(std::string_view text);

// A key file holds a few lines; anything larger is refused rather than read.
inline constexpr std::uintmax_t kMaxKeyFileBytes = 1u << 20;

// Reads and parses the file: only a regular file up to that size (a FIFO or a device is refused
// at once, never waited on). False with a message naming the file when it cannot be used.
bool loadKeyFile(const std::string& path, std::vector<ApiKeys>& keys, std::string& error);

}  // namespace ocr_service
