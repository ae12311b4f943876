// The answer form's bank worker: one thread that runs all bank work of the answer form
// (searches, deletions, closing the bank) in the order it was handed in, so the user-interface
// thread never waits for the bank.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace search {

class BankWorker {
 public:
  BankWorker();
  // Runs what is still queued, then stops the thread.
  ~BankWorker();
  BankWorker(const BankWorker&) = delete;
  BankWorker& operator=(const BankWorker&) = delete;

  // Any thread. Runs `job` after everything handed in before it.
  void submit(std::function<void()> job);
  // Any thread. As submit, but a search still waiting is dropped: only the newest search
  // matters to the user, so a burst of keywords costs one scan, not one scan each.
  void submitSearch(std::function<void()> job);

  // No job waiting or running (tests wait for it).
  bool idle() const;
  // Any thread. A job is waiting, or the worker is stopping: long work that can wait (building
  // an index) asks this often and gives way.
  bool workWaiting() const;

 private:
  struct Job {
    bool search = false;
    std::function<void()> run;
  };
  void enqueue(Job job);
  void loop();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> queue_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread thread_;  // last: starts once the members above exist
};

}  // namespace search
