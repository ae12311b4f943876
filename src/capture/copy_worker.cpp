#include "capture/copy_worker.h"

namespace capture {

CopyWorker::CopyWorker() : thread_([this] { loop(); }) {}

CopyWorker::~CopyWorker() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    waiting_.reset();
  }
  wake_.notify_all();
  thread_.join();
}

void CopyWorker::submit(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    waiting_ = std::move(job);
  }
  wake_.notify_all();
}

bool CopyWorker::idle() const {
  std::lock_guard lock(mutex_);
  return !running_ && !waiting_;
}

void CopyWorker::loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || waiting_; });
    if (!waiting_) return;  // stopping, nothing left
    std::function<void()> job = std::move(*waiting_);
    waiting_.reset();
    running_ = true;
    lock.unlock();
    // A failing job must not end the thread that later copies need.
    try {
      if (job) job();
    } catch (...) {
    }
    lock.lock();
    running_ = false;
  }
}

}  // namespace capture
