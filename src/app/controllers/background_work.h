// The import form's long work (reading a workbook, importing a table), one piece after the
// other on a worker of its own, never waited for on the user-interface thread. The owner's
// destructor waits for what still runs, which by then has been told to stop and ends at its
// next batch, so the bank is whole when the program ends.
#pragma once
#include <functional>
#include <utility>

#include "platform/worker.h"

namespace app {

class BackgroundWork : private platform::Worker {
 public:
  BackgroundWork() : Worker(AtExit::kJoin) {}

  // Any thread. Runs `work` after what was started before it.
  void start(std::function<void()> work) { submit(std::move(work)); }
  // Nothing running or waiting (tests wait for it).
  using Worker::idle;
};

}  // namespace app
