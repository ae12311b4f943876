// The copy-and-search work of drag-select mode, one job at a time on a thread of its own. Jobs
// run in the order they came; a newer one replaces one still waiting, so two quick drags never
// share the clipboard and the keyword box ends with the newest copy.
#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace capture {

class CopyWorker {
 public:
  CopyWorker();
  // Drops the waiting job, lets the running one finish, then stops the thread.
  ~CopyWorker();
  CopyWorker(const CopyWorker&) = delete;
  CopyWorker& operator=(const CopyWorker&) = delete;

  // Any thread; returns at once.
  void submit(std::function<void()> job);
  // No job waiting or running.
  bool idle() const;

 private:
  void loop();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<std::function<void()>> waiting_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread thread_;  // last: starts once the members above exist
};

}  // namespace capture
