// The copy-and-search work of drag-select mode, one job at a time on a worker of its own. Jobs
// run in the order they came; a newer one replaces one still waiting, so two quick drags never
// share the clipboard and the keyword box ends with the newest copy. At exit the waiting job is
// dropped and the running one (a copy takes a moment) is waited for.
#pragma once
#include <functional>

#include "platform/worker.h"

namespace capture {

class CopyWorker : private platform::Worker {
 public:
  CopyWorker() : Worker(AtExit::kJoin) {}

  // Any thread; returns at once.
  void submit(std::function<void()> job) { submitReplacing(std::move(job)); }
  using Worker::gate;
  using Worker::idle;
};

}  // namespace capture
