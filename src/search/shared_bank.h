// The record database shared by the user-interface thread (bank chooser, import) and the
// answer form's bank worker. A use holds the lock only while the bank work runs; the work
// returns its result and the caller shows messages after the lock is released, so no message
// box or other nested message loop ever runs with the bank locked.
#pragma once
#include <mutex>

#include "bank/record_database.h"

namespace search {

class SharedBank {
 public:
  explicit SharedBank(bank::RecordDatabase& database) : database_(database) {}

  template <class Use>
  auto use(Use&& work) {
    std::lock_guard lock(mutex_);
    return work(database_);
  }

 private:
  std::mutex mutex_;
  bank::RecordDatabase& database_;
};

}  // namespace search
