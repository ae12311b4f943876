// A scripted OCR service for the forms' tests: it answers in order from a script (no reply once
// the script is used up), keeps every request, and can hold its answers back until the test
// lets them go, as a slow service would. Any thread; it lives as long as a client uses it.
#pragma once
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "capture/ocr_client.h"

namespace ocrtest {

inline capture::OcrHttpReply reply(std::string body, int status = 200) {
  return {true, status, std::move(body)};
}
inline const capture::OcrHttpReply kUnreachable{};
inline const capture::OcrHttpReply kToken = reply(R"({"access_token":"24.token","expires_in":9})");
inline const capture::OcrHttpReply kUnknownClient =
    reply(R"({"error":"invalid_client","error_description":"unknown client id"})", 401);
inline const capture::OcrHttpReply kBadSecret =
    reply(R"({"error":"invalid_client","error_description":"Client authentication failed"})", 401);
inline const capture::OcrHttpReply kOtherRefusal =
    reply(R"({"error":"invalid_grant","error_description":"no such grant"})", 401);

// A recognition reply of these lines (UTF-8).
inline capture::OcrHttpReply linesReply(const std::vector<std::string>& lines) {
  std::string body = R"({"log_id":1,"words_result":[)";
  for (const auto& line : lines) {
    if (body.back() != '[') body += ',';
    body.append(R"({"words":")").append(line).append(R"("})");
  }
  return reply(body + "]}");
}

class FakeOcrService {
 public:
  void add(capture::OcrHttpReply next) {
    std::lock_guard lock(state_->mutex);
    state_->script.push_back(std::move(next));
  }
  void hold() {
    std::lock_guard lock(state_->mutex);
    state_->held = true;
  }
  void release() {
    {
      std::lock_guard lock(state_->mutex);
      state_->held = false;
    }
    state_->changed.notify_all();
  }
  std::vector<capture::OcrHttpRequest> requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests;
  }

  capture::OcrTransport transport() const {
    return [state = state_](const capture::OcrHttpRequest& request) {
      std::unique_lock lock(state->mutex);
      state->requests.push_back(request);
      state->changed.wait(lock, [&] { return !state->held; });
      if (state->script.empty()) return kUnreachable;
      capture::OcrHttpReply next = state->script.front();
      state->script.pop_front();
      return next;
    };
  }

 private:
  struct State {
    mutable std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    std::deque<capture::OcrHttpReply> script;
    std::vector<capture::OcrHttpRequest> requests;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace ocrtest
