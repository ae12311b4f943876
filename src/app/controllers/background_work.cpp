#include "app/controllers/background_work.h"

#include <algorithm>
#include <utility>

#include "platform/worker.h"

namespace app {

BackgroundWork::~BackgroundWork() {
  std::vector<Worker> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (Worker& worker : workers) worker.thread.join();
}

void BackgroundWork::start(std::function<void()> work) {
  auto finished = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([work = std::move(work), finished] {
    platform::runGuarded(work);
    finished->store(true);
  });
  std::lock_guard lock(mutex_);
  joinFinished();
  workers_.push_back({std::move(thread), std::move(finished)});
}

bool BackgroundWork::idle() const {
  std::lock_guard lock(mutex_);
  return std::all_of(workers_.begin(), workers_.end(),
                     [](const Worker& worker) { return worker.finished->load(); });
}

void BackgroundWork::joinFinished() {
  // A thread that said it finished has only its return left: joining it takes no time.
  std::erase_if(workers_, [](Worker& worker) {
    if (!worker.finished->load()) return false;
    worker.thread.join();
    return true;
  });
}

}  // namespace app
