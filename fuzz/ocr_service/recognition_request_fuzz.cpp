// The recognition service on whatever a client may send. The first byte says what the rest is:
// 1 a whole recognition body, 2 a token request's query and body, 3 a recognition target's
// query and content type (with a good body); anything else makes the whole input a picture file
// sent as a good client would send it, so that picture files are seeds as they are. Besides not
// crashing, every reply is JSON of the provider's shape, and the recogniser only ever sees
// dark-on-white pictures of a sane size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ocr_service/base64_decode.h"
#include "ocr_service/form_fields.h"
#include "ocr_service/recognition_service.h"
#include "recognition/line_text.h"
#include "recognition/text_preparation.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

std::string base64(std::string_view bytes) {
  static const char* digits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789%2B%2F";
  std::string out;
  auto digit = [&](unsigned v) {
    if (v == 62)
      out += "%2B";
    else if (v == 63)
      out += "%2F";
    else
      out += digits[v];
  };
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = unsigned((unsigned char)bytes[i]) << 16 |
                       unsigned((unsigned char)bytes[i + 1]) << 8 | (unsigned char)bytes[i + 2];
    digit(v >> 18), digit(v >> 12 & 63), digit(v >> 6 & 63), digit(v & 63);
  }
  if (i + 1 == bytes.size()) {
    const unsigned v = unsigned((unsigned char)bytes[i]) << 16;
    digit(v >> 18), digit(v >> 12 & 63), out += "%3D%3D";
  } else if (i + 2 == bytes.size()) {
    const unsigned v =
        unsigned((unsigned char)bytes[i]) << 16 | unsigned((unsigned char)bytes[i + 1]) << 8;
    digit(v >> 18), digit(v >> 12 & 63), digit(v >> 6 & 63), out += "%3D";
  }
  return out;
}

ocr_service::RecognizedText look(const ocr_service::GreyPicture& picture,
                                 ocr_service::TextLanguage) {
  require(picture.width > 0 && picture.height > 0);
  require(picture.pixels.size() == std::size_t(picture.width) * std::size_t(picture.height));
  require(double(picture.width) * picture.height <=
          1.1 * double(recognition::kMaxPreparedPixels) +
              4 * recognition::kPreferredInkHeight * double(picture.width + picture.height));
  // Dark text on white: the margin is white.
  require(picture.pixels[0] == 255);
  return {
      true,
      {recognition::tidyLine(std::string_view(reinterpret_cast<const char*>(picture.pixels.data()),
                                              std::min<std::size_t>(picture.pixels.size(), 64)))}};
}

void requireProviderShape(const ocr_service::ServiceReply& reply) {
  require(reply.body.starts_with("{\"") && reply.body.ends_with("}"));
  require(reply.body.find("\"words_result\":") != std::string::npos ||
          reply.body.find("\"error_code\":") != std::string::npos ||
          reply.body.find("\"error_description\":") != std::string::npos ||
          reply.body.find("\"access_token\":") != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ocr_service::RecognitionService service({{"key", "secret"}}, look);
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view rest = input.substr(1);
  const std::string target = "/rest/2.0/ocr/v1/general_basic?access_token=" + service.accessToken();
  const std::string_view form = "application/x-www-form-urlencoded";
  switch (input[0]) {
    case 1:
      requireProviderShape(service.recognitionRequest(target, form, rest));
      break;
    case 2:
      requireProviderShape(service.tokenRequest("/oauth/2.0/token?" + std::string(rest), rest));
      break;
    case 3:
      requireProviderShape(service.recognitionRequest(
          "/rest/2.0/ocr/v1/general_basic?" + std::string(rest), rest, "image=QUJD"));
      break;
    default:
      requireProviderShape(service.recognitionRequest(target, form, "image=" + base64(input)));
      break;
  }
  if (const auto bytes = ocr_service::decodeBase64(rest)) require(bytes->size() <= rest.size());
  return 0;
}
