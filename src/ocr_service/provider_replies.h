// The replies of the recognition service, shaped as the cloud OCR provider shapes them (UTF-8
// JSON), so a client written for the provider reads them unchanged.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ocr_service {

// A reply: the HTTP status and the JSON body.
struct ServiceReply {
  int status = 200;
  std::string body;
};

// Token replies of the OAuth 2.0 client-credentials grant. A granted token's scope names the
// AI platform's scope, which clients check before sending the token instead of signing calls.
inline constexpr std::string_view kUnknownClient = "unknown client id";
inline constexpr std::string_view kBadClientSecret = "Client authentication failed";
inline constexpr std::int64_t kTokenLifetimeSeconds = 2592000;  // thirty days, as the provider

ServiceReply tokenGranted(std::string_view accessToken);
ServiceReply tokenRefused(int status, std::string_view error, std::string_view description);

// Recognition errors carry the provider's codes and texts.
enum class ServiceError {
  kUnsupportedMethod,  // 3: no such method
  kTokenInvalid,       // 110
  kInvalidParameter,   // 216100
  kMissingParameter,   // 216101: no image
  kEmptyImage,         // 216200
  kImageFormat,        // 216201: not Base64, or not a picture
  kImageSize,          // 216202: too large in bytes or pixels, or too small
  kInternal,           // 282000: the engine failed
};

int errorCode(ServiceError error);
ServiceReply serviceError(ServiceError error, std::uint64_t logId, int status = 200);

// Lines in reading order; each text is UTF-8.
ServiceReply recognisedLines(const std::vector<std::string>& lines, std::uint64_t logId);

// A JSON string literal of UTF-8 text (control characters escaped; ill-formed bytes replaced).
std::string jsonString(std::string_view utf8);

}  // namespace ocr_service
