// The OCR service's stand-in (ocr_standin.py) as a test chooses it: the base address that
// names a scenario on the test server it was started with.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "test_server.h"

namespace testsupport {

struct OcrScenario {
  std::string tag;                 // the tokens handed out count per tag
  std::string apiKey = "api-key";  // UTF-8: the keys the service knows
  std::string secretKey = "secret-key";
  std::string tokenError;          // refuse every token with this text
  int expire = 0;                  // the first N tokens have expired
  std::vector<std::string> lines;  // UTF-8: the lines recognised
  int width = 0, height = 0;       // the JPEG's size; 0: any
  std::string drop;                // "token" or "recognition": no answer

  // The base address for the client, e.g. "https://localhost:PORT/ocr-standin/tag=...".
  std::string baseUrl(const TestServer& server, std::string_view listener = "https") const {
    std::string joined;
    for (const std::string& line : lines) {
      if (!joined.empty()) joined += ',';
      joined += queryValue(line);
    }
    std::string segment = "/ocr-standin/";
    auto setting = [&segment](std::string_view name, const std::string& value) {
      if (value.empty() || value == "0") return;
      if (segment.back() != '/') segment += ';';
      segment.append(name).append("=").append(queryValue(value));
    };
    setting("tag", tag);
    setting("api", apiKey);
    setting("secret", secretKey);
    setting("token_error", tokenError);
    setting("expire", std::to_string(expire));
    setting("lines", joined);
    setting("width", std::to_string(width));
    setting("height", std::to_string(height));
    setting("drop", drop);
    return server.url(listener, segment);
  }
};

}  // namespace testsupport
