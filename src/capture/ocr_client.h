// OcrClient: the OCR service seen from the program. It tests typed keys (and stores them),
// fetches an access token with the stored keys, and turns a screenshot into search text. The
// program keeps one; it owns the access token, which lives only in memory.
#pragma once
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/ocr_transport.h"

namespace capture {

enum class KeyTestOutcome {
  kKeysAccepted,        // a token came back: keys stored, token kept
  kWrongApiKey,         // the service named the API Key: nothing stored
  kWrongSecretKey,      // the service named the Secret Key: nothing stored
  kServiceUnreachable,  // no reply: keys stored all the same, no token
  kNoTokenInReply,      // a reply without a token: keys stored, no token
  kAddressMalformed,    // the typed service address is not one: no request, nothing stored
  kAddressNeedsHttps,   // plain http to another machine: no request, nothing stored
};

struct KeyTestResult {
  KeyTestOutcome outcome;
  bool keysStored = false;  // false also when the settings file could not be written
  // The test got no token while one from the settings in use was held: nothing was stored, and
  // those settings and their token stay in use.
  bool previousKept = false;
};

enum class TokenFetchOutcome {
  kFetched,
  kNoStoredKeys,  // either key missing or unreadable: no request made
  kWrongApiKey,
  kWrongSecretKey,
  kServiceUnreachable,
  kNoTokenInReply,
};

enum class RecognitionOutcome {
  kRecognized,          // text found
  kNoText,              // the service read the picture and found no text
  kNoImage,             // nothing to recognise: no request made
  kNoToken,             // no access token held: no request made
  kServiceUnreachable,  // no reply
  kTokenRejected,       // the token was refused and no new one was accepted
  kServiceError,        // an error reply, or a reply without recognised lines
};

struct Recognition {
  RecognitionOutcome outcome = RecognitionOutcome::kNoImage;
  std::vector<std::string> lines;  // program text
  std::string text;                // the lines joined with nothing between them
};

class OcrClient {
 public:
  // A non-empty `fixedServiceUrl` (the test setting) is used for every request. Otherwise each
  // request goes to the address stored in the settings file, read afresh, so a new address
  // takes effect at once; without one, to the provider's own.
  OcrClient(OcrTransport transport, std::filesystem::path runDirectory,
            std::string fixedServiceUrl);

  // Asks for a token with the keys as typed. Unless the service names a wrong key, stores both
  // keys and replaces the access token with the one that came back (none when none did).
  // With a typed service address, the token is asked of that address and the address is
  // stored with the keys; an address the check refuses stops the test before any request.
  KeyTestResult TestOcrKeys(std::string_view apiKey, std::string_view secretKey,
                            const std::optional<std::string>& serviceAddress = std::nullopt);

  // Asks for a token with the stored keys and keeps it when one comes back.
  TokenFetchOutcome FetchAccessToken();

  // Recognises one picture (any format the codec reads; sent as JPEG, or as it is when it
  // cannot be re-encoded). The picture is this call's own copy. A token the service refuses as
  // invalid or expired is fetched again once and the recognition repeated once. Any thread.
  Recognition RecognizeScreenshot(std::string picture);

  // A token from the service the requests now go to.
  bool hasAccessToken() const;

  // Where the requests now go: the fixed address, the stored one, or the provider's (also when
  // the provider is the stored choice).
  std::string serviceAddress() const;

 private:
  OcrHttpReply exchange(const OcrHttpRequest& request) const;
  std::string currentToken(const std::string& address) const;
  bool holdsTokenOfAnotherService(const std::string& address) const;
  void setToken(std::string token, std::string address);
  void forgetToken(const std::string& refused);
  std::uint64_t tokenGeneration() const;
  void forgetTokenUnlessReplaced(std::uint64_t generation);

  OcrTransport transport;
  std::filesystem::path runDirectory;
  std::string fixedServiceUrl;
  mutable std::mutex tokenLock;
  std::string accessToken;
  std::string tokenAddress;        // the service that gave accessToken; no other one is sent it
  std::uint64_t tokensStored = 0;  // counts setToken calls, so a late outcome can tell
};

}  // namespace capture
