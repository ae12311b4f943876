#include "capture/ocr_client.h"

#include "capture/ocr_replies.h"
#include "capture/ocr_requests.h"
#include "capture/ocr_settings.h"
#include "capture/transcode_image.h"

namespace capture {
namespace {

Recognition recognised(std::vector<std::string> lines) {
  Recognition r;
  for (const std::string& line : lines) r.text += line;
  r.outcome = r.text.empty() ? RecognitionOutcome::kNoText : RecognitionOutcome::kRecognized;
  r.lines = std::move(lines);
  return r;
}

Recognition failed(RecognitionOutcome outcome) {
  Recognition r;
  r.outcome = outcome;
  return r;
}

}  // namespace

OcrClient::OcrClient(OcrTransport transport, std::filesystem::path runDirectory,
                     std::string serviceUrl)
    : transport(std::move(transport)),
      runDirectory(std::move(runDirectory)),
      serviceUrl(std::move(serviceUrl)) {}

OcrHttpReply OcrClient::exchange(const OcrHttpRequest& request) const {
  // A transport that fails in any way counts as no reply.
  try {
    return transport ? transport(request) : OcrHttpReply{};
  } catch (...) {
    return {};
  }
}

KeyTestResult OcrClient::TestOcrKeys(std::string_view apiKey, std::string_view secretKey) {
  const OcrHttpReply reply = exchange(tokenRequest(serviceUrl, apiKey, secretKey));
  TokenReply token;
  if (reply.delivered) {
    token = readTokenReply(reply.body);
    if (token.kind == TokenReply::Kind::kUnknownClient) return {KeyTestOutcome::kWrongApiKey};
    if (token.kind == TokenReply::Kind::kBadSecret) return {KeyTestOutcome::kWrongSecretKey};
  }
  // What the user typed is kept even when the service could not judge it.
  KeyTestResult result{KeyTestOutcome::kKeysAccepted,
                       StoreOcrKeys(runDirectory, {std::string(apiKey), std::string(secretKey)})};
  setToken(token.token);
  if (!reply.delivered)
    result.outcome = KeyTestOutcome::kServiceUnreachable;
  else if (token.kind != TokenReply::Kind::kToken)
    result.outcome = KeyTestOutcome::kNoTokenInReply;
  return result;
}

TokenFetchOutcome OcrClient::FetchAccessToken() {
  const OcrKeys keys = LoadOcrSettings(runDirectory);
  if (keys.apiKey.empty() || keys.secretKey.empty()) return TokenFetchOutcome::kNoStoredKeys;
  const OcrHttpReply reply = exchange(tokenRequest(serviceUrl, keys.apiKey, keys.secretKey));
  if (!reply.delivered) return TokenFetchOutcome::kServiceUnreachable;
  TokenReply token = readTokenReply(reply.body);
  switch (token.kind) {
    case TokenReply::Kind::kUnknownClient:
      return TokenFetchOutcome::kWrongApiKey;
    case TokenReply::Kind::kBadSecret:
      return TokenFetchOutcome::kWrongSecretKey;
    case TokenReply::Kind::kNoToken:
      return TokenFetchOutcome::kNoTokenInReply;
    case TokenReply::Kind::kToken:
      break;
  }
  setToken(std::move(token.token));
  return TokenFetchOutcome::kFetched;
}

Recognition OcrClient::RecognizeScreenshot(std::string picture) {
  if (picture.empty()) return failed(RecognitionOutcome::kNoImage);
  std::string token = currentToken();
  if (token.empty()) return failed(RecognitionOutcome::kNoToken);
  // When the picture cannot be re-encoded it is sent as it is.
  TranscodeImage(picture, kJpegFormat, {}, &picture);
  for (int attempt = 0;; ++attempt) {
    const OcrHttpReply reply = exchange(recognitionRequest(serviceUrl, token, picture));
    if (!reply.delivered) return failed(RecognitionOutcome::kServiceUnreachable);
    RecognitionReply result = readRecognitionReply(reply.body);
    if (result.kind == RecognitionReply::Kind::kLines) return recognised(std::move(result.lines));
    if (result.kind == RecognitionReply::Kind::kError)
      return failed(RecognitionOutcome::kServiceError);
    // The token was refused: one new token, one more try.
    forgetToken(token);
    if (attempt > 0) return failed(RecognitionOutcome::kTokenRejected);
    const TokenFetchOutcome fetched = FetchAccessToken();
    if (fetched == TokenFetchOutcome::kServiceUnreachable)
      return failed(RecognitionOutcome::kServiceUnreachable);
    if (fetched != TokenFetchOutcome::kFetched) return failed(RecognitionOutcome::kTokenRejected);
    token = currentToken();
    if (token.empty()) return failed(RecognitionOutcome::kTokenRejected);
  }
}

bool OcrClient::hasAccessToken() const { return !currentToken().empty(); }

std::string OcrClient::currentToken() const {
  std::lock_guard<std::mutex> lock(tokenLock);
  return accessToken;
}

void OcrClient::setToken(std::string token) {
  std::lock_guard<std::mutex> lock(tokenLock);
  accessToken = std::move(token);
}

void OcrClient::forgetToken(const std::string& refused) {
  // Only the refused token: a key test may have put a new one in meanwhile.
  std::lock_guard<std::mutex> lock(tokenLock);
  if (accessToken == refused) accessToken.clear();
}

}  // namespace capture
