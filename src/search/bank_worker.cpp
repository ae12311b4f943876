#include "search/bank_worker.h"

#include <algorithm>
#include <utility>

namespace search {

BankWorker::BankWorker() : thread_([this] { loop(); }) {}

BankWorker::~BankWorker() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void BankWorker::submit(std::function<void()> job) { enqueue({false, std::move(job)}); }

void BankWorker::submitSearch(std::function<void()> job) { enqueue({true, std::move(job)}); }

void BankWorker::enqueue(Job job) {
  if (!job.run) return;
  {
    std::lock_guard lock(mutex_);
    if (job.search) std::erase_if(queue_, [](const Job& waiting) { return waiting.search; });
    queue_.push_back(std::move(job));
  }
  wake_.notify_one();
}

bool BankWorker::idle() const {
  std::lock_guard lock(mutex_);
  return queue_.empty() && !running_;
}

bool BankWorker::workWaiting() const {
  std::lock_guard lock(mutex_);
  return stopping_ || !queue_.empty();
}

void BankWorker::loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, and nothing left to do
    Job job = std::move(queue_.front());
    queue_.pop_front();
    running_ = true;
    lock.unlock();
    job.run();
    job.run = nullptr;  // what the job holds goes here, on this thread, before idle shows
    lock.lock();
    running_ = false;
  }
}

}  // namespace search
