#include "ocr_service/provider_replies.h"

#include <cstdio>

#include "platform/utf8.h"

namespace ocr_service {
namespace {

struct ErrorText {
  int code;
  const char* message;
};

ErrorText errorText(ServiceError error) {
  switch (error) {
    case ServiceError::kUnsupportedMethod:
      return {3, "Unsupported openapi method"};
    case ServiceError::kTokenInvalid:
      return {110, "Access token invalid or no longer valid"};
    case ServiceError::kInvalidParameter:
      return {216100, "invalid param"};
    case ServiceError::kMissingParameter:
      return {216101, "not enough param"};
    case ServiceError::kEmptyImage:
      return {216200, "empty image"};
    case ServiceError::kImageFormat:
      return {216201, "image format error"};
    case ServiceError::kImageSize:
      return {216202, "image size error"};
    case ServiceError::kInternal:
      break;
  }
  return {282000, "internal error"};
}

}  // namespace

std::string jsonString(std::string_view utf8) {
  // A reply is always well-formed UTF-8, whatever the engine gave.
  const std::string text =
      utf8::isValid(utf8) ? std::string(utf8) : utf8::fromUtf16(utf8::toUtf16(utf8));
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

ServiceReply tokenGranted(std::string_view accessToken) {
  return {200, "{\"access_token\":" + jsonString(accessToken) +
                   ",\"expires_in\":" + std::to_string(kTokenLifetimeSeconds) +
                   ",\"scope\":\"public brain_all_scope vis-ocr_ocr\"}"};
}

ServiceReply tokenRefused(int status, std::string_view error, std::string_view description) {
  return {status, "{\"error\":" + jsonString(error) +
                      ",\"error_description\":" + jsonString(description) + "}"};
}

int errorCode(ServiceError error) { return errorText(error).code; }

ServiceReply serviceError(ServiceError error, std::uint64_t logId, int status) {
  const ErrorText text = errorText(error);
  return {status, "{\"error_code\":" + std::to_string(text.code) + ",\"error_msg\":" +
                      jsonString(text.message) + ",\"log_id\":" + std::to_string(logId) + "}"};
}

ServiceReply recognisedLines(const std::vector<std::string>& lines, std::uint64_t logId) {
  std::string body = "{\"words_result\":[";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) body += ',';
    body += "{\"words\":" + jsonString(lines[i]) + "}";
  }
  body += "],\"words_result_num\":" + std::to_string(lines.size()) +
          ",\"log_id\":" + std::to_string(logId) + "}";
  return {200, std::move(body)};
}

}  // namespace ocr_service
