// The locks of the record database and the start of every use of the records, where a purge
// cut short by a crash is finished before anything else happens.
#include "bank/purge_journal.h"
#include "bank/record_database_internal.h"
#include "platform/clock.h"

namespace bank {

int waitFileLock(platform::RecordFile& file, std::uint64_t offset, std::uint64_t size,
                 platform::LockMode mode) {
  const std::uint32_t started = platform::tickCount();
  while (!file.tryLock(offset, size, mode)) {
    auto fault = file.lastFault();
    bool busy = fault == platform::FileFault::lockViolation ||
                fault == platform::FileFault::sharingViolation;
    if (!busy) return kLockFailed;
    if (platform::tickCount() - started >= kLockWaitMs) return kLockViolation;
    platform::sleepMs(20 + platform::tickCount() % 20);
  }
  return kOk;
}

bool RecordDatabase::waitLock(Database& db, std::uint64_t offset, std::uint64_t size,
                              platform::LockMode mode) {
  if (db.options.exclusive) return true;
  if (int code = waitFileLock(*db.file, offset, size, mode)) return fail(code);
  return true;
}

void RecordDatabase::unlockRange(Database& db, std::uint64_t offset, std::uint64_t size) {
  if (!db.options.exclusive) db.file->unlock(offset, size);
}

bool RecordDatabase::beginUse(Database& db, platform::LockMode mode) {
  for (int attempt = 0;; ++attempt) {
    if (!waitLock(db, kUseLock, 1, mode)) return false;
    // Natively another process may have deleted the file: nothing written here would last.
    if (db.file->unlinked()) {
      endUse(db);
      return fail(kFileNotFound);
    }
    if (!files_.exists(db.journal)) return true;
    // A purge was cut short. Whoever holds the lock exclusively with a writable handle finishes
    // it; anyone else lets go and finishes it through a handle of its own.
    if (mode == platform::LockMode::exclusive && !db.options.readOnly) {
      if (applyJournal(db, *db.file)) return true;
      endUse(db);
      return false;
    }
    endUse(db);
    if (attempt == 2) return fail(kLockFailed);
    if (!finishInterruptedPurge(db)) return false;
  }
}

void RecordDatabase::endUse(Database& db) { unlockRange(db, kUseLock, 1); }

bool RecordDatabase::finishInterruptedPurge(Database& db) {
  platform::FileFault fault;
  auto file = files_.open(db.path, {platform::OpenMode::readWrite, false}, fault);
  if (!file) return fail(errorOfFault(fault));
  if (int code = waitFileLock(*file, kUseLock, 1, platform::LockMode::exclusive)) return fail(code);
  bool ok = applyJournal(db, *file);
  file->unlock(kUseLock, 1);
  return ok;
}

}  // namespace bank
