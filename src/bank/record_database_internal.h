// What the engine's source files share: an open database, the lock positions, and the guard
// that holds the lock of one use of the records.
#pragma once
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "bank/record_database.h"

namespace bank {

inline constexpr std::uint64_t kWholeFile = 0x7FFFFFFF;
// This engine's own lock, past the range the file format locks, so it never keeps another
// program from opening the file: held shared by every read, append and mark, exclusive by every
// rewrite.
inline constexpr std::uint64_t kUseLock = 0x80000000ull;
// Records are read and rewritten in chunks of this many bytes (a whole number of records).
inline constexpr std::size_t kChunkBytes = 163840;

struct RecordDatabase::Database {
  std::filesystem::path path;
  std::filesystem::path journal;  // beside the file links lead to, not beside the name used
  OpenOptions options;
  std::unique_ptr<platform::RecordFile> file;
  Layout layout;
  std::int64_t index = 0;

  std::uint64_t slotOffset(std::int64_t i) const {
    return layout.dataStart +
           static_cast<std::uint64_t>(i) * static_cast<std::uint64_t>(layout.header.recordSize);
  }
  std::size_t recordsPerChunk() const {
    return std::max<std::size_t>(1, kChunkBytes / std::size_t(layout.header.recordSize));
  }
};

// Holds the use lock of a database for one operation.
class RecordDatabase::Use {
 public:
  Use(RecordDatabase& engine, Database& db, platform::LockMode mode)
      : engine_(engine), db_(db), held_(engine.beginUse(db, mode)) {}
  ~Use() {
    if (held_) engine_.endUse(db_);
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;
  explicit operator bool() const { return held_; }

 private:
  RecordDatabase& engine_;
  Database& db_;
  bool held_;
};

// Waits for a lock on the file, up to kLockWaitMs, retrying every 20 to 39 ms; 0 or the code of
// the failure (kLockViolation when the wait ran out).
int waitFileLock(platform::RecordFile& file, std::uint64_t offset, std::uint64_t size,
                 platform::LockMode mode);

}  // namespace bank
