// The keys a service accepts, from a text file of its own: one "API_KEY SECRET_KEY" pair a
// line, blank lines and lines starting with "#" skipped.
#pragma once
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

}  // namespace ocr_service
