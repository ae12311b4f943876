// The bank worker: one queue that runs all bank work (searches, deletions, closing the bank,
// the chooser's and the import's bank changes) in the order it was handed in, so the
// user-interface thread never waits for the bank. At exit it finishes the ordered work still
// queued and drops a search nobody will see.
#pragma once
#include <functional>

#include "platform/worker.h"

namespace search {

class BankWorker : public platform::Worker {
 public:
  BankWorker() : Worker(AtExit::kJoin) {}

  // Any thread. As submit, but a search still waiting is dropped: only the newest search
  // matters to the user, so a burst of keywords costs one scan, not one scan each.
  void submitSearch(std::function<void()> job) { submitReplacing(std::move(job)); }
};

}  // namespace search
