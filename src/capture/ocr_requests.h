// The two requests of the OCR service: the OAuth 2.0 token request (client credentials) and
// the general text recognition of one picture.
#pragma once
#include <string>
#include <string_view>

#include "capture/ocr_transport.h"

namespace capture {

inline constexpr std::string_view kOcrServiceUrl = "https://aip.baidubce.com";

// Tests point the client at a stand-in of the service with a base address such as
// "https://127.0.0.1:8443"; certificates are still verified. It wins over the address stored
// in the settings file.
inline constexpr const char* kOcrUrlEnv = "QUORVIX_OCR_URL";

// The test setting's base address without a trailing "/"; empty when it is not set.
std::string ocrServiceUrlOverride();

// GET; the keys (program text) go into the query URL-encoded as UTF-8, so letters and digits
// are unchanged and "&", "=" or a space cannot change the query.
OcrHttpRequest tokenRequest(std::string_view serviceUrl, std::string_view apiKey,
                            std::string_view secretKey);

// POST "image=" + the picture in Base64, URL-encoded; the token URL-encoded into the query.
OcrHttpRequest recognitionRequest(std::string_view serviceUrl, std::string_view accessToken,
                                  std::string_view picture);

}  // namespace capture
