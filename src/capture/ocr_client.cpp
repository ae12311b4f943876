#include "capture/ocr_client.h"

#include "capture/ocr_replies.h"
#include "capture/ocr_requests.h"
#include "capture/ocr_route.h"
#include "capture/ocr_settings.h"
#include "capture/service_address.h"
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
                     std::string fixedServiceUrl)
    : transport(std::move(transport)),
      runDirectory(std::move(runDirectory)),
      fixedServiceUrl(std::move(fixedServiceUrl)) {}

std::string OcrClient::serviceAddress() const {
  if (!fixedServiceUrl.empty()) return fixedServiceUrl;
  // With the provider chosen, a stored address waits unused for a later choice of it.
  if (LoadStoredOcrRoute(runDirectory) == OcrRoute::kCloud) return std::string(kOcrServiceUrl);
  std::string stored = LoadOcrServiceAddress(runDirectory);
  return stored.empty() ? std::string(kOcrServiceUrl) : stored;
}

OcrHttpReply OcrClient::exchange(const OcrHttpRequest& request) const {
  // A transport that fails in any way counts as no reply.
  try {
    return transport ? transport(request) : OcrHttpReply{};
  } catch (...) {
    return {};
  }
}

KeyTestResult OcrClient::TestOcrKeys(std::string_view apiKey, std::string_view secretKey,
                                     const std::optional<std::string>& typedAddress) {
  std::string address = serviceAddress();
  if (typedAddress) {
    const ServiceAddressCheck check = checkServiceAddress(*typedAddress);
    if (check.problem == ServiceAddressProblem::kMalformed)
      return {KeyTestOutcome::kAddressMalformed};
    if (check.problem == ServiceAddressProblem::kPlainHttpRemote)
      return {KeyTestOutcome::kAddressNeedsHttps};
    if (fixedServiceUrl.empty())
      address = check.address.empty() ? std::string(kOcrServiceUrl) : check.address;
  }
  const std::uint64_t heldBefore = tokenGeneration();
  const bool workingBefore = hasAccessToken();
  const OcrHttpReply reply = exchange(tokenRequest(address, apiKey, secretKey));
  TokenReply token;
  if (reply.delivered) {
    token = readTokenReply(reply.body);
    if (token.kind == TokenReply::Kind::kUnknownClient) return {KeyTestOutcome::kWrongApiKey};
    if (token.kind == TokenReply::Kind::kBadSecret) return {KeyTestOutcome::kWrongSecretKey};
  }
  const KeyTestOutcome failure =
      !reply.delivered ? KeyTestOutcome::kServiceUnreachable : KeyTestOutcome::kNoTokenInReply;
  // A test that got no token never replaces settings that work: a mistyped address would
  // otherwise take the place of the one that gave the token.
  if (token.kind != TokenReply::Kind::kToken && workingBefore) {
    KeyTestResult kept{failure};
    kept.previousKept = true;
    return kept;
  }
  // What the user typed is kept when nothing worked before, even unjudged.
  KeyTestResult result{
      KeyTestOutcome::kKeysAccepted,
      StoreOcrKeys(runDirectory, {std::string(apiKey), std::string(secretKey)}, typedAddress)};
  if (token.kind == TokenReply::Kind::kToken) {
    setToken(token.token, address);
  } else {
    // The token held before the test belongs to other keys, but one stored by a fetch that
    // ended while this test waited is newer than this outcome and stays.
    forgetTokenUnlessReplaced(heldBefore);
  }
  if (token.kind != TokenReply::Kind::kToken) result.outcome = failure;
  return result;
}

TokenFetchOutcome OcrClient::FetchAccessToken() {
  const OcrKeys keys = LoadOcrSettings(runDirectory);
  if (keys.apiKey.empty() || keys.secretKey.empty()) return TokenFetchOutcome::kNoStoredKeys;
  std::string address = serviceAddress();
  const OcrHttpReply reply = exchange(tokenRequest(address, keys.apiKey, keys.secretKey));
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
  setToken(std::move(token.token), std::move(address));
  return TokenFetchOutcome::kFetched;
}

Recognition OcrClient::RecognizeScreenshot(std::string picture) {
  if (picture.empty()) return failed(RecognitionOutcome::kNoImage);
  std::string address = serviceAddress();
  // The address changed since the token came: the new service is asked for one of its own.
  if (holdsTokenOfAnotherService(address)) {
    const TokenFetchOutcome fetched = FetchAccessToken();
    if (fetched == TokenFetchOutcome::kServiceUnreachable)
      return failed(RecognitionOutcome::kServiceUnreachable);
    if (fetched != TokenFetchOutcome::kFetched) return failed(RecognitionOutcome::kTokenRejected);
    address = serviceAddress();
  }
  std::string token = currentToken(address);
  if (token.empty()) return failed(RecognitionOutcome::kNoToken);
  // When the picture cannot be re-encoded it is sent as it is.
  TranscodeImage(picture, kJpegFormat, {}, &picture);
  for (int attempt = 0;; ++attempt) {
    const OcrHttpReply reply = exchange(recognitionRequest(address, token, picture));
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
    address = serviceAddress();
    token = currentToken(address);
    if (token.empty()) return failed(RecognitionOutcome::kTokenRejected);
  }
}

bool OcrClient::hasAccessToken() const { return !currentToken(serviceAddress()).empty(); }

std::string OcrClient::currentToken(const std::string& address) const {
  std::lock_guard<std::mutex> lock(tokenLock);
  return tokenAddress == address ? accessToken : std::string();
}

bool OcrClient::holdsTokenOfAnotherService(const std::string& address) const {
  std::lock_guard<std::mutex> lock(tokenLock);
  return !accessToken.empty() && tokenAddress != address;
}

void OcrClient::setToken(std::string token, std::string address) {
  std::lock_guard<std::mutex> lock(tokenLock);
  accessToken = std::move(token);
  tokenAddress = std::move(address);
  ++tokensStored;
}

std::uint64_t OcrClient::tokenGeneration() const {
  std::lock_guard<std::mutex> lock(tokenLock);
  return tokensStored;
}

void OcrClient::forgetTokenUnlessReplaced(std::uint64_t generation) {
  std::lock_guard<std::mutex> lock(tokenLock);
  if (tokensStored == generation) accessToken.clear();
}

void OcrClient::forgetToken(const std::string& refused) {
  // Only the refused token: a key test may have put a new one in meanwhile.
  std::lock_guard<std::mutex> lock(tokenLock);
  if (accessToken == refused) accessToken.clear();
}

}  // namespace capture
