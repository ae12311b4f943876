// Threads for the import form's long work (reading a workbook, importing a table). Each piece
// of work gets a thread of its own and is never waited for on the user-interface thread; the
// owner's destructor waits for what still runs, which by then has been told to stop.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace app {

class BackgroundWork {
 public:
  BackgroundWork() = default;
  ~BackgroundWork();
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

  // Any thread. Runs `work` on a new thread.
  void start(std::function<void()> work);
  // Nothing running (tests wait for it).
  bool idle() const;

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
  };
  void joinFinished();  // with mutex_ held

  mutable std::mutex mutex_;
  std::vector<Worker> workers_;
};

}  // namespace app
