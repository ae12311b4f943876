// Opens arbitrary bytes as a bank file and reads every record of it, field by field and with
// the sequential read, then deletes and purges: none of it may crash, hang or over-allocate.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bank/purge_journal.h"
#include "bank/record_database.h"

namespace {

std::filesystem::path scratchFile() {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("quorvix-bank-fuzz-" + std::to_string(::getpid()) + ".edb");
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto path = scratchFile();
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }

  bank::RecordDatabase db;
  if (db.openDatabase(path)) {
    const auto fields = db.layout()->fields;
    std::vector<std::string> names;
    for (const auto& f : fields) names.push_back(f.name);
    std::int32_t count = db.recordCount();
    db.goFirst();
    for (std::int32_t i = 0; i < count && i < 4096; ++i) {
      for (const auto& name : names) db.readField(name);
      bank::FieldValue value;
      if (!names.empty()) db.readValue(names.back(), value);
      if (!db.skip()) break;
    }
    db.scanRecords(names, [](const bank::ScanRow& row) { return row.recordNumber < 4096; });
    if (db.goTo(2)) db.markDeleted();
    db.purgeDeleted();
    db.addRecord(std::vector<std::string>(names.size(), "x"));
    db.closeDatabase();
  }
  std::filesystem::remove(path);
  std::filesystem::remove(bank::journalPath(path));
  return 0;
}
