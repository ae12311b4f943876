// The record database shared by the user-interface thread (bank chooser, import) and the
// answer form's bank worker. Each use holds the lock. The answer form hands the bank back only
// once its worker has finished with it, so in practice the two never meet and the lock never
// makes the user-interface thread wait; it is there so that a mistake costs a pause, not data.
#pragma once
#include <mutex>

#include "bank/record_database.h"

namespace answer {

class SharedBank {
 public:
  explicit SharedBank(bank::RecordDatabase& database) : database_(database) {}

  template <class Use>
  auto use(Use&& work) {
    // Recursive: a message box shown by a bank operation runs a nested message loop, and
    // whatever that loop runs may use the bank again on the same thread.
    std::lock_guard lock(mutex_);
    return work(database_);
  }

 private:
  std::recursive_mutex mutex_;
  bank::RecordDatabase& database_;
};

}  // namespace answer
