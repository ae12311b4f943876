#include "ocr_service/recognition_service.h"

#include <chrono>
#include <cstdio>
#include <random>

#include "ocr_service/base64_decode.h"
#include "ocr_service/form_fields.h"
#include "recognition/grey_picture.h"
#include "recognition/text_preparation.h"

namespace ocr_service {

using recognition::DecodedPicture;
using recognition::decodePicture;
using recognition::PictureError;
using recognition::PreparedPicture;
using recognition::prepareForRecognition;

namespace {

// A token shaped as the provider's are; it stays valid for the life of the service, so a
// client holding one from an earlier run is refused and fetches a new one.
std::string newAccessToken() {
  std::random_device random;
  std::string token = "24.";
  for (int i = 0; i < 4; ++i) {
    char part[9];
    std::snprintf(part, sizeof part, "%08x", unsigned(random()));
    token += part;
  }
  return token + "." + std::to_string(kTokenLifetimeSeconds) + ".local";
}

// Compares every byte, so the time taken says nothing about how much of a guess was right.
bool sameSecret(std::string_view a, std::string_view b) {
  unsigned difference = a.size() == b.size() ? 0 : 1;
  for (std::size_t i = 0; i < a.size(); ++i)
    difference |= unsigned(static_cast<unsigned char>(a[i]) ^
                           static_cast<unsigned char>(i < b.size() ? b[i] : 0));
  return difference == 0;
}

}  // namespace

RecognitionService::RecognitionService(std::vector<ApiKeys> acceptedKeys, TextRecognizer recognizer)
    : acceptedKeys_(std::move(acceptedKeys)),
      recognizer_(std::move(recognizer)),
      accessToken_(newAccessToken()),
      logIds_(std::uint64_t(std::chrono::duration_cast<std::chrono::seconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count()) *
              1000) {}

std::uint64_t RecognitionService::nextLogId() { return logIds_++; }

ServiceReply RecognitionService::tokenRequest(std::string_view target,
                                              std::string_view formBody) const {
  std::vector<FormField> fields = queryFields(target);
  for (FormField& field : parseFormFields(formBody)) fields.push_back(std::move(field));
  if (fieldValue(fields, "grant_type").value_or("") != "client_credentials")
    return tokenRefused(400, "unsupported_grant_type",
                        "The authorization grant type is not supported");
  const std::string apiKey = fieldValue(fields, "client_id").value_or("");
  const std::string secretKey = fieldValue(fields, "client_secret").value_or("");
  if (acceptedKeys_.empty()) {
    if (apiKey.empty()) return tokenRefused(401, "invalid_client", kUnknownClient);
    if (secretKey.empty()) return tokenRefused(401, "invalid_client", kBadClientSecret);
    return tokenGranted(accessToken_);
  }
  // An API Key listed more than once takes any of its secrets.
  bool knownKey = false, secretMatches = false;
  for (const ApiKeys& keys : acceptedKeys_) {
    if (keys.apiKey != apiKey) continue;
    knownKey = true;
    secretMatches |= sameSecret(keys.secretKey, secretKey);
  }
  if (secretMatches) return tokenGranted(accessToken_);
  return tokenRefused(401, "invalid_client", knownKey ? kBadClientSecret : kUnknownClient);
}

ServiceReply RecognitionService::recognitionRequest(std::string_view target,
                                                    std::string_view contentType,
                                                    std::string_view body) {
  const std::uint64_t logId = nextLogId();
  const std::vector<FormField> query = queryFields(target);
  if (!sameSecret(fieldValue(query, "access_token").value_or(""), accessToken_))
    return serviceError(ServiceError::kTokenInvalid, logId);
  if (!isFormContentType(contentType)) return serviceError(ServiceError::kInvalidParameter, logId);

  const std::vector<FormField> form = parseFormFields(body);
  const std::optional<std::string> image = fieldValue(form, "image");
  if (!image) return serviceError(ServiceError::kMissingParameter, logId);
  if (image->empty()) return serviceError(ServiceError::kEmptyImage, logId);
  if (image->size() > kMaxImageBase64Bytes) return serviceError(ServiceError::kImageSize, logId);
  TextLanguage language = TextLanguage::kChineseAndEnglish;
  const std::string languageType = fieldValue(form, "language_type").value_or("CHN_ENG");
  if (languageType == "ENG")
    language = TextLanguage::kEnglish;
  else if (languageType != "CHN_ENG")
    return serviceError(ServiceError::kInvalidParameter, logId);

  const std::optional<std::string> fileBytes = decodeBase64(*image);
  if (!fileBytes) return serviceError(ServiceError::kImageFormat, logId);
  if (fileBytes->empty()) return serviceError(ServiceError::kEmptyImage, logId);
  const DecodedPicture decoded = decodePicture(*fileBytes);
  if (decoded.error == PictureError::kTooLarge || decoded.error == PictureError::kTooSmall)
    return serviceError(ServiceError::kImageSize, logId);
  if (decoded.error != PictureError::kNone) return serviceError(ServiceError::kImageFormat, logId);

  const PreparedPicture prepared = prepareForRecognition(decoded.picture);
  if (prepared.blank) return recognisedLines({}, logId);
  RecognizedText text;
  try {
    text = recognizer_ ? recognizer_(prepared.picture, language) : RecognizedText{false, {}};
  } catch (...) {
    text.ok = false;
  }
  if (!text.ok) return serviceError(ServiceError::kInternal, logId);
  return recognisedLines(text.lines, logId);
}

ServiceReply RecognitionService::unsupported(int status) {
  return serviceError(ServiceError::kUnsupportedMethod, nextLogId(), status);
}

ServiceReply RecognitionService::bodyTooLarge() {
  return serviceError(ServiceError::kImageSize, nextLogId(), 413);
}

}  // namespace ocr_service
