#include "capture/ocr_requests.h"

#include <cstdlib>

#include "net/base64.h"
#include "net/url_encode.h"

namespace capture {
namespace {

std::string queryValue(std::string_view text) { return net::UrlEncode(text, true, true); }

}  // namespace

std::string ocrServiceUrlOverride() {
  const char* configured = std::getenv(kOcrUrlEnv);
  std::string url = configured ? configured : "";
  while (url.ends_with('/')) url.pop_back();
  return url;
}

OcrHttpRequest tokenRequest(std::string_view serviceUrl, std::string_view apiKey,
                            std::string_view secretKey) {
  OcrHttpRequest request;
  request.url = std::string(serviceUrl) +
                "/oauth/2.0/token?grant_type=client_credentials&client_id=" + queryValue(apiKey) +
                "&client_secret=" + queryValue(secretKey);
  return request;
}

OcrHttpRequest recognitionRequest(std::string_view serviceUrl, std::string_view accessToken,
                                  std::string_view picture) {
  OcrHttpRequest request;
  request.method = OcrHttpRequest::Method::kPost;
  request.url = std::string(serviceUrl) +
                "/rest/2.0/ocr/v1/general_basic?access_token=" + queryValue(accessToken);
  request.body = "image=" + net::UrlEncode(net::Base64Encode(picture), true, true);
  return request;
}

}  // namespace capture
