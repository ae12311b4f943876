// What the OCR settings form, the screenshot recognition and the command line say about the
// OCR service, in one place, and how such a notice is shown. Written as UTF-8 here; shown as GBK.
#pragma once
#include <optional>
#include <string>

#include "app/controllers/program_text.h"
#include "app/controllers/timed_notice.h"
#include "capture/ocr_client.h"

namespace app::ocr_texts {

// The key test's verdicts and the token fetch's refusals close after half a second.
inline constexpr unsigned kVerdictNoticeMs = 500;
// A failure takes a sentence to explain; it stays long enough to be read.
inline constexpr unsigned kTroubleNoticeMs = 2000;

inline constexpr const char* kKeysCorrect = "秘钥正确";
inline constexpr const char* kWrongApiKey = "API Key不正确";
inline constexpr const char* kWrongSecretKey = "Secret Key不正确";

struct Notice {
  std::string text;  // GBK
  unsigned timeoutMs = kVerdictNoticeMs;
};

// A failed test that left the working settings in place.
inline constexpr const char* kUnreachableKept =
    "连接识别服务失败，新的设置未保存，仍在使用原来的服务地址和识别令牌！";
inline constexpr const char* kNoTokenKept =
    "识别服务未确认秘钥，新的设置未保存，仍在使用原来的服务地址和识别令牌！";

// The key test's outcome. Keys that reached the settings file are said to be kept, so a user
// whose network is down knows nothing typed was lost; settings that work are said to stay.
inline Notice keyTestNotice(const capture::KeyTestResult& result) {
  using capture::KeyTestOutcome;
  switch (result.outcome) {
    case KeyTestOutcome::kWrongApiKey:
      return {gbk(kWrongApiKey)};
    case KeyTestOutcome::kWrongSecretKey:
      return {gbk(kWrongSecretKey)};
    case KeyTestOutcome::kKeysAccepted:
      if (result.keysStored) return {gbk(kKeysCorrect)};
      return {gbk("秘钥正确，但配置文件保存失败！"), kTroubleNoticeMs};
    case KeyTestOutcome::kServiceUnreachable:
      if (result.previousKept) return {gbk(kUnreachableKept), kTroubleNoticeMs};
      return {gbk(result.keysStored ? "连接识别服务失败，秘钥已保存，请检查网络后重试！"
                                    : "连接识别服务失败，秘钥也未能保存！"),
              kTroubleNoticeMs};
    case KeyTestOutcome::kNoTokenInReply:
      if (result.previousKept) return {gbk(kNoTokenKept), kTroubleNoticeMs};
      return {gbk(result.keysStored ? "识别服务未确认秘钥，秘钥已保存，请稍后重试！"
                                    : "识别服务未确认秘钥，秘钥也未能保存！"),
              kTroubleNoticeMs};
    case KeyTestOutcome::kAddressMalformed:
      return {gbk("服务地址不正确，请填写 https://主机[:端口] 形式的地址，留空即用默认服务！"),
              kTroubleNoticeMs};
    case KeyTestOutcome::kAddressNeedsHttps:
      return {gbk("本机以外的服务地址必须以 https:// 开头，地址未保存！"), kTroubleNoticeMs};
  }
  return {};
}

// Why no access token came from the stored keys; none when one did, and none when no keys are
// stored (the settings form then asks for them).
inline std::optional<Notice> tokenFetchNotice(capture::TokenFetchOutcome outcome) {
  using capture::TokenFetchOutcome;
  switch (outcome) {
    case TokenFetchOutcome::kFetched:
    case TokenFetchOutcome::kNoStoredKeys:
      return std::nullopt;
    case TokenFetchOutcome::kWrongApiKey:
      return Notice{gbk(kWrongApiKey)};
    case TokenFetchOutcome::kWrongSecretKey:
      return Notice{gbk(kWrongSecretKey)};
    case TokenFetchOutcome::kServiceUnreachable:
      return Notice{gbk("连接识别服务失败，请检查网络后重试！"), kTroubleNoticeMs};
    case TokenFetchOutcome::kNoTokenInReply:
      return Notice{gbk("识别服务未给出令牌，请重新测试秘钥！"), kTroubleNoticeMs};
  }
  return std::nullopt;
}

// Why a screenshot gave no keyword; none when text came back or the picture simply held none.
inline std::optional<Notice> recognitionNotice(capture::RecognitionOutcome outcome) {
  using capture::RecognitionOutcome;
  switch (outcome) {
    case RecognitionOutcome::kRecognized:
    case RecognitionOutcome::kNoText:
    case RecognitionOutcome::kNoImage:
      return std::nullopt;
    case RecognitionOutcome::kNoToken:
      return Notice{gbk("尚未取得识别令牌，请在设置中测试秘钥！"), kTroubleNoticeMs};
    case RecognitionOutcome::kServiceUnreachable:
      return Notice{gbk("连接识别服务失败，请检查网络！"), kTroubleNoticeMs};
    case RecognitionOutcome::kTokenRejected:
      return Notice{gbk("识别令牌已失效，请在设置中重新测试秘钥！"), kTroubleNoticeMs};
    case RecognitionOutcome::kServiceError:
      return Notice{gbk("识别服务返回错误，请稍后重试！"), kTroubleNoticeMs};
  }
  return std::nullopt;
}

// Shows a notice as a self-closing message box (UI thread).
inline void showNotice(const Notice& notice) {
  TimedNoticeOptions options;
  options.timeoutMs = notice.timeoutMs;
  TimedNotice(notice.text, options);
}

}  // namespace app::ocr_texts
