// The service's answers to the provider's two requests, apart from HTTP: the token request
// grants a token to accepted keys, and the general recognition request turns an "image=" form
// body into the lines of text in the picture.
#pragma once
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ocr_service/provider_replies.h"
#include "recognition/recognizer.h"

namespace ocr_service {

inline constexpr std::string_view kTokenPath = "/oauth/2.0/token";
inline constexpr std::string_view kRecognitionPath = "/rest/2.0/ocr/v1/general_basic";

// The provider takes at most 4 MB of Base64; a body a little larger carries that much once
// URL-encoded. Anything beyond is refused before it is read.
inline constexpr std::size_t kMaxImageBase64Bytes = std::size_t(4) << 20;
inline constexpr std::size_t kMaxRequestBodyBytes = std::size_t(6) << 20;

using recognition::GreyPicture;
using recognition::RecognizedText;
using recognition::TextLanguage;

// Reads the text of a prepared picture (dark on white); may be called from several threads at
// once. A function rather than a recognition::Recognizer, so tests can stand in with a lambda.
using TextRecognizer = std::function<RecognizedText(const GreyPicture&, TextLanguage)>;

struct ApiKeys {
  std::string apiKey, secretKey;
};

class RecognitionService {
 public:
  // No accepted keys: any keys that are not empty get a token.
  RecognitionService(std::vector<ApiKeys> acceptedKeys, TextRecognizer recognizer);

  ServiceReply tokenRequest(std::string_view target, std::string_view formBody = {}) const;
  ServiceReply recognitionRequest(std::string_view target, std::string_view contentType,
                                  std::string_view body);
  // A reply for a request the service has no method for, or one over the body limit.
  ServiceReply unsupported(int status);
  ServiceReply bodyTooLarge();

  const std::string& accessToken() const { return accessToken_; }

 private:
  std::uint64_t nextLogId();

  std::vector<ApiKeys> acceptedKeys_;
  TextRecognizer recognizer_;
  std::string accessToken_;
  std::atomic<std::uint64_t> logIds_;
};

}  // namespace ocr_service
