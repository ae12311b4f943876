// The record database: any number of open database files, one of them current, with the
// record operations the program performs on a bank. Operations report success as true/false
// and leave the engine's error code in lastError().
//
// Several processes may use one file at once. Besides the byte-range locks of the file format
// (the whole file while it is opened, byte 16 while the record count is read or changed), every
// use of the records holds a lock of this engine's own on a byte past the format's range:
// shared to read, append or mark, exclusive to rewrite (purge, clear, remove). So a purge or a
// clear never meets another process's append half-way, and what an append reported as done is
// in the file afterwards. A lock held elsewhere is waited for, up to kLockWaitMs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "bank/error_codes.h"
#include "bank/record_format.h"
#include "platform/record_file.h"

namespace bank {

inline constexpr std::uint32_t kLockWaitMs = 5000;

struct OpenOptions {
  bool readOnly = false;
  bool exclusive = false;  // no other handle may open the file; no locks are taken
};

// A field value read from the current record.
struct FieldValue {
  int type = 0;
  std::int64_t integer = 0;  // byte, short, int, int64, routine, block number
  double number = 0;         // float, double, date-time
  bool flag = false;         // boolean
  std::string text;          // text (GBK)
};

// One record handed to a sequential read; views stay valid only during the call.
struct ScanRow {
  std::int32_t recordNumber = 0;
  std::int32_t serial = 0;                               // negative when marked deleted
  const std::vector<std::string_view>* texts = nullptr;  // the chosen text fields, in order
};

// The record a deletion means: its serial, which no purge changes, and optionally the texts it
// must still hold (GBK, field name and text), so a record changed meanwhile is left alone.
struct RecordIdentity {
  std::int32_t serial = 0;
  std::vector<std::pair<std::string, std::string>> expectedTexts;
};

// What one read of the records saw: the file and the header's record count and next serial.
// Two reads with the same stamp read the same records (every append raises the serial, every
// purge or clear changes the count or the file's length and time), so what the first read
// kept from them may stand in for the second. A stamp whose file is not known equals none.
struct RecordsStamp {
  bool fileKnown = false;
  platform::FileIdentity file;
  std::int32_t recordCount = 0;
  std::int32_t nextSerial = 0;
  bool sameAs(const RecordsStamp& other) const {
    return fileKnown && other.fileKnown && file == other.file && recordCount == other.recordCount &&
           nextSerial == other.nextSerial;
  }
};

// Whole records in memory, in order: record `first` (counted from 0) at `bytes`, each next one
// a record size further on.
struct RecordRun {
  std::int32_t first = 0;
  std::int32_t count = 0;
  const char* bytes = nullptr;
};

// The records of the current database as one use sees them (RecordDatabase::readRecords),
// read where they lie: through a mapping of the file where the platform can map it, in large
// chunks otherwise. Valid only during that call.
class RecordReader {
 public:
  std::int32_t count() const { return count_; }
  const Layout& layout() const { return layout_; }
  const RecordsStamp& stamp() const { return stamp_; }

  // Hands `visit` the records first .. end - 1 in runs, in order, until it returns false.
  // 0, or the engine's code of a failed read. Several threads may call it at once.
  int forEachRun(std::int32_t first, std::int32_t end,
                 const std::function<bool(const RecordRun&)>& visit) const;
  // The bytes of one record (index counted from 0), valid until the next call; empty, with
  // the code in lastError(), when it cannot be read. For records asked for in rising order.
  std::string_view record(std::int32_t index);
  int lastError() const { return error_; }

 private:
  friend class RecordDatabase;
  RecordReader(platform::RecordFile& file, const Layout& layout, RecordsStamp stamp,
               std::size_t windowBytes);
  std::uint64_t offsetOf(std::int32_t index) const;

  platform::RecordFile& file_;
  const Layout& layout_;
  std::int32_t count_;
  RecordsStamp stamp_;
  std::int32_t windowRecords_;
  std::unique_ptr<platform::MappedBytes> window_;  // what record() mapped last
  std::int32_t windowFirst_ = 0;
  std::int32_t windowCount_ = 0;
  bool mappable_ = true;
  std::string copy_;  // a record read when none could be mapped
  int error_ = 0;
};

// How much of a file one mapping covers at most: a 32-bit process finds room for this much
// even when its address space is cut up.
inline constexpr std::size_t kMapWindowBytes = std::size_t{64} << 20;

class RecordDatabase {
 public:
  explicit RecordDatabase(platform::FileSystem& files = platform::nativeFileSystem());
  ~RecordDatabase();
  RecordDatabase(const RecordDatabase&) = delete;
  RecordDatabase& operator=(const RecordDatabase&) = delete;

  // A new database; an existing file of that name is replaced whole (the durable replace), or,
  // when `replaceExisting` is false, left alone: the call then fails with kSharingViolation.
  bool createDatabase(const std::filesystem::path& path, const std::vector<FieldDef>& fields,
                      bool replaceExisting = true);
  bool openDatabase(const std::filesystem::path& path, const OpenOptions& options = {});
  bool isOpen(const std::filesystem::path& path) const;
  // Makes an open database current again; false when it is not open.
  bool makeCurrent(const std::filesystem::path& path);
  void closeDatabase();
  void closeDatabase(const std::filesystem::path& path);
  // Deletes a database file, closing it here first when it is open. Fails with a sharing
  // violation while another process is using it.
  bool removeDatabase(const std::filesystem::path& path);
  // Empties a database in place, keeping its fields and its next serial, so handles other
  // processes hold stay valid. A file that is no database is created anew; so is a missing one,
  // unless another process makes one in its place meanwhile (see lostToExistingFile).
  bool clearDatabase(const std::filesystem::path& path, const std::vector<FieldDef>& fields);

  // Record slots of the current database, deleted ones included; negative code on failure.
  std::int32_t recordCount();
  void goFirst();
  bool skip(std::int32_t n = 1);
  bool goTo(std::int32_t recordNumber);
  std::int32_t recordNumber() const;

  // Text of a field of the current record; empty beyond the last record.
  std::string readField(std::string_view name);
  bool readValue(std::string_view name, FieldValue& value);

  // One text per field, in schema order; values of non-text fields are converted.
  bool addRecord(const std::vector<std::string>& values);
  // Appends the records in order as one write: all of them are in the bank afterwards, or (on
  // failure) none. Far cheaper than one addRecord each for many records.
  bool addRecords(const std::vector<std::vector<std::string>>& records);
  bool markDeleted();
  // Removes the records marked deleted, rewriting the file in place through a journal.
  bool purgeDeleted();
  // Marks the record and purges, as one step no other process can come between. Fails with
  // kNoCurrentRecord, changing nothing, when no live record has the serial or its texts differ;
  // a failed purge leaves the record as it was.
  bool deleteRecord(const RecordIdentity& record);

  // From the current record onward, the first record for which `condition` holds becomes
  // current; when none does, the position stays as it was.
  bool findRecord(const std::function<bool(RecordDatabase&)>& condition);

  // Reads every record slot in order, in large chunks, handing `visit` the chosen text
  // fields. Stops early when `visit` returns false.
  bool scanRecords(const std::vector<std::string>& fieldNames,
                   const std::function<bool(const ScanRow&)>& visit);

  // Holds the shared use of the current database (so no purge, clear or other rewrite runs
  // meanwhile, while appends may) and hands `work` its records as they stand: as many as the
  // record count said when the use began. `work` returns 0 or an engine code, which the call
  // then fails with. Mappings cover at most `windowBytes` each.
  bool readRecords(const std::function<int(RecordReader&)>& work,
                   std::size_t windowBytes = kMapWindowBytes);

  // Layout of the current database, or null.
  const Layout* layout() const;
  int lastError() const { return lastError_; }
  // True when the last createDatabase that replaces nothing (or a clearDatabase that had to make
  // its file anew) failed because a file of that name had appeared meanwhile.
  bool lostToExistingFile() const { return lostToExistingFile_; }

 private:
  struct Database;
  class Use;

  bool fail(int code);
  bool encodeRecord(const Layout& lay, const std::vector<std::string>& values, char* record);
  bool failFile(const platform::RecordFile& file, int fallback);
  Database* current();
  bool openInto(Database& db);
  bool waitLock(Database& db, std::uint64_t offset, std::uint64_t size, platform::LockMode mode);
  void unlockRange(Database& db, std::uint64_t offset, std::uint64_t size);
  bool beginUse(Database& db, platform::LockMode mode);
  void endUse(Database& db);
  bool finishInterruptedPurge(Database& db);
  bool readCountAndSerial(Database& db, std::int32_t& count, std::int32_t& serial);
  bool repairTail(Database& db, std::uint64_t fileLength);
  bool checkCompanion(Database& db);
  bool purgeLocked(Database& db);
  bool writeJournal(Database& db, std::int32_t count, bool& nothingToDo);
  bool applyJournal(Database& db, platform::RecordFile& bank);
  bool writeSerial(Database& db, std::int64_t index, std::int32_t serial);

  platform::FileSystem& files_;
  std::vector<std::unique_ptr<Database>> open_;
  Database* current_ = nullptr;
  int lastError_ = 0;
  bool lostToExistingFile_ = false;
  std::set<std::string> swept_;  // files whose abandoned temporaries were looked for
};

// The file a path names once the default extension is added.
std::filesystem::path withDefaultExtension(const std::filesystem::path& path,
                                           const char* extension = ".EDB");

}  // namespace bank
