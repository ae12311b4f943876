// A fixed number of threads running posted jobs in the order they came.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ocr_service {

class WorkPool {
 public:
  explicit WorkPool(int threads);
  // Jobs not yet started are dropped; running ones are waited for.
  ~WorkPool();
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  void post(std::function<void()> job);

 private:
  void work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace ocr_service
