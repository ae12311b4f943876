// The record database: any number of open database files, one of them current, with the
// record operations the program performs on a bank. Operations report success as true/false
// and leave the engine's error code in lastError().
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bank/error_codes.h"
#include "bank/record_format.h"
#include "platform/record_file.h"

namespace bank {

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

class RecordDatabase {
 public:
  explicit RecordDatabase(platform::FileSystem& files = platform::nativeFileSystem());
  ~RecordDatabase();
  RecordDatabase(const RecordDatabase&) = delete;
  RecordDatabase& operator=(const RecordDatabase&) = delete;

  bool createDatabase(const std::filesystem::path& path, const std::vector<FieldDef>& fields);
  bool openDatabase(const std::filesystem::path& path, const OpenOptions& options = {});
  bool isOpen(const std::filesystem::path& path) const;
  // Makes an open database current again; false when it is not open.
  bool makeCurrent(const std::filesystem::path& path);
  void closeDatabase();
  void closeDatabase(const std::filesystem::path& path);

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
  bool markDeleted();
  bool purgeDeleted();

  // From the current record onward, the first record for which `condition` holds becomes
  // current; when none does, the position stays as it was.
  bool findRecord(const std::function<bool(RecordDatabase&)>& condition);

  // Reads every record slot in order, in large chunks, handing `visit` the chosen text
  // fields. Stops early when `visit` returns false.
  bool scanRecords(const std::vector<std::string>& fieldNames,
                   const std::function<bool(const ScanRow&)>& visit);

  // Layout of the current database, or null.
  const Layout* layout() const;
  int lastError() const { return lastError_; }

 private:
  struct Database;

  bool fail(int code);
  bool failFile(const platform::RecordFile& file, int fallback);
  Database* current();
  bool openInto(Database& db);
  bool lockRange(Database& db, std::uint64_t offset, std::uint64_t size, std::uint32_t waitMs);
  void unlockRange(Database& db, std::uint64_t offset, std::uint64_t size);
  bool readCountAndSerial(Database& db, std::uint32_t waitMs, std::int32_t& count,
                          std::int32_t& serial);
  bool repairTail(Database& db, std::uint64_t fileLength);
  bool checkCompanion(Database& db);
  bool rewriteKept(Database& db, std::int32_t count, std::int32_t& kept);

  platform::FileSystem& files_;
  std::vector<std::unique_ptr<Database>> open_;
  Database* current_ = nullptr;
  int lastError_ = 0;
};

// The file a path names once the default extension is added.
std::filesystem::path withDefaultExtension(const std::filesystem::path& path,
                                           const char* extension = ".EDB");

// Where crash-safe rewrites of a database build the new file; never matches "*.edb".
std::filesystem::path rewritePath(const std::filesystem::path& databasePath);

}  // namespace bank
