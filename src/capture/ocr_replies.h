// Reading the OCR service's replies (UTF-8 JSON) through the strict JsonObject, one object per
// reply. A reply is never run as code.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace capture {

struct TokenReply {
  enum class Kind {
    kToken,          // "access_token" holds a token
    kUnknownClient,  // "error_description" is "unknown client id": the API Key is wrong
    kBadSecret,      // "error_description" is "Client authentication failed": the Secret Key
    kNoToken,        // any other reply, an unreadable one included
  };
  Kind kind = Kind::kNoToken;
  std::string token;
};

TokenReply readTokenReply(std::string_view utf8Reply);

struct RecognitionReply {
  enum class Kind {
    kLines,          // a "words_result" array, possibly empty
    kTokenRejected,  // error_code 110 (token invalid) or 111 (token expired)
    kError,          // any other error reply, or no reply the client understands
  };
  Kind kind = Kind::kError;
  std::vector<std::string> lines;  // program text, in order
};

RecognitionReply readRecognitionReply(std::string_view utf8Reply);

}  // namespace capture
