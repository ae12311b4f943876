#include "platform/worker.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <system_error>
#include <thread>
#include <utility>

namespace platform {
namespace {

struct FailureReport {
  std::mutex mutex;
  WorkerFailureHandler handler;
};

// Never destroyed: an abandoned job may still fail while the process ends.
FailureReport& failureReport() {
  static auto* report = new FailureReport;
  return *report;
}

void reportFailure(const char* what) {
  WorkerFailureHandler handler;
  {
    std::lock_guard lock(failureReport().mutex);
    handler = failureReport().handler;
  }
  if (handler) {
    handler(what);
  } else {
    std::fprintf(stderr, "worker: a job failed: %s\n", what);
  }
}

}  // namespace

void setWorkerFailureHandler(WorkerFailureHandler handler) {
  std::lock_guard lock(failureReport().mutex);
  failureReport().handler = std::move(handler);
}

void runGuarded(const std::function<void()>& job) {
  try {
    if (job) job();
  } catch (const std::exception& failure) {
    reportFailure(failure.what());
  } catch (...) {
    reportFailure("unknown exception");
  }
}

bool startAbandoned(const std::function<void()>& job) {
  try {
    std::thread([job] { runGuarded(job); }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

// ---- Gate ----

bool Gate::pass(const std::function<void()>& deliver) {
  std::lock_guard lock(mutex_);
  if (!open_) return false;
  runGuarded(deliver);
  return true;
}

void Gate::close() {
  std::lock_guard lock(mutex_);
  open_ = false;
}

bool Gate::open() const {
  std::lock_guard lock(mutex_);
  return open_;
}

// ---- Worker ----

struct Worker::Queue {
  struct Job {
    bool replaceable = false;
    std::function<void()> run;
  };

  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Job> jobs;
  bool running = false;
  bool stopping = false;
  bool runsInline = false;  // no thread could be started: jobs run on the caller's thread
  std::thread thread;

  void loop();
  void add(Job job);
};

void Worker::Queue::loop() {
  std::unique_lock lock(mutex);
  for (;;) {
    wake.wait(lock, [this] { return stopping || !jobs.empty(); });
    if (jobs.empty()) return;  // stopping, nothing left
    Job job = std::move(jobs.front());
    jobs.pop_front();
    running = true;
    lock.unlock();
    runGuarded(job.run);
    job.run = nullptr;  // what the job holds goes here, on this thread, before idle shows
    lock.lock();
    running = false;
  }
}

void Worker::Queue::add(Job job) {
  if (!job.run) return;
  {
    std::lock_guard lock(mutex);
    if (stopping) return;
    if (!runsInline) {
      if (job.replaceable)
        std::erase_if(jobs, [](const Job& waiting) { return waiting.replaceable; });
      jobs.push_back(std::move(job));
      wake.notify_one();
      return;
    }
  }
  runGuarded(job.run);
}

Worker::Worker(AtExit atExit)
    : gate_(std::make_shared<Gate>()), queue_(std::make_shared<Queue>()), atExit_(atExit) {
  try {
    // The thread keeps the queue alive, so an abandoned one never reads freed memory.
    queue_->thread = std::thread([queue = queue_] { queue->loop(); });
  } catch (const std::system_error&) {
    queue_->runsInline = true;
  }
}

Worker::~Worker() {
  gate_->close();
  {
    std::lock_guard lock(queue_->mutex);
    queue_->stopping = true;
    if (atExit_ == AtExit::kAbandon) {
      queue_->jobs.clear();
    } else {
      // Only the newest search or copy was waiting, and nobody is left to see it; ordered work
      // (a deletion, closing a bank) still runs, so nothing the user asked for is lost.
      std::erase_if(queue_->jobs, [](const Queue::Job& waiting) { return waiting.replaceable; });
    }
  }
  queue_->wake.notify_one();
  if (!queue_->thread.joinable()) return;
  if (atExit_ == AtExit::kJoin) {
    queue_->thread.join();
  } else {
    queue_->thread.detach();
  }
}

void Worker::submit(std::function<void()> job) { queue_->add({false, std::move(job)}); }

void Worker::submitReplacing(std::function<void()> job) { queue_->add({true, std::move(job)}); }

bool Worker::idle() const {
  std::lock_guard lock(queue_->mutex);
  return queue_->jobs.empty() && !queue_->running;
}

bool Worker::workWaiting() const {
  std::lock_guard lock(queue_->mutex);
  return queue_->stopping || !queue_->jobs.empty();
}

// ---- OneShots ----

OneShots::OneShots() : gate_(std::make_shared<Gate>()) {}

OneShots::~OneShots() { gate_->close(); }

bool OneShots::start(const std::function<void()>& job) { return startAbandoned(job); }

}  // namespace platform
