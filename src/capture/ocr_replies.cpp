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
    reply.kind = RecognitionReply::Kind::kLines;
    const int count = da.GetCount("words_result");
    for (int i = 0; i < count; ++i)
      reply.lines.push_back(da.GetValue("words_result[" + std::to_string(i) + "].words"));
    return reply;
  }
  const std::string code = da.GetValue("error_code");
  if (code == "110" || code == "111") reply.kind = RecognitionReply::Kind::kTokenRejected;
  return reply;
}

}  // namespace capture
