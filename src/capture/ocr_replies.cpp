#include "capture/ocr_replies.h"

#include "json/json_object.h"
#include "net/utf8_text.h"

namespace capture {

TokenReply readTokenReply(std::string_view utf8Reply) {
  json::JsonObject da;
  da.Parse(net::Utf8ToGbk(utf8Reply));
  const std::string error = da.GetValue("error_description");
  if (error == "unknown client id") return {TokenReply::Kind::kUnknownClient, {}};
  if (error == "Client authentication failed") return {TokenReply::Kind::kBadSecret, {}};
  if (da.GetType("access_token") != json::kJsonString) return {};
  std::string token = da.GetValue("access_token");
  if (token.empty()) return {};
  return {TokenReply::Kind::kToken, std::move(token)};
}

RecognitionReply readRecognitionReply(std::string_view utf8Reply) {
  json::JsonObject da;
  da.Parse(net::Utf8ToGbk(utf8Reply));
  RecognitionReply reply;
  if (da.GetType("words_result") == json::kJsonArray) {
    // Every line is an object with its text in "words"; anything else is no answer we
    // understand, not a picture without text.
    if (da.GetMemberTexts("words_result", "words", reply.lines))
      reply.kind = RecognitionReply::Kind::kLines;
    return reply;
  }
  const std::string code = da.GetValue("error_code");
  if (code == "110" || code == "111") reply.kind = RecognitionReply::Kind::kTokenRejected;
  return reply;
}

}  // namespace capture
