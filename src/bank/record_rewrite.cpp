// The operations that rewrite a database in place: purge (through the redo journal), delete,
// clear and remove. Each holds the use lock exclusively, so no other process reads or writes
// the records meanwhile.
#include <cstring>
#include <optional>

#include "bank/purge_journal.h"
#include "bank/record_database_internal.h"
#include "platform/little_endian.h"

namespace bank {
namespace {

using platform::LockMode;

}  // namespace

bool RecordDatabase::writeJournal(Database& db, std::int32_t count, bool& nothingToDo) {
  nothingToDo = false;
  const std::size_t size = std::size_t(db.layout.header.recordSize);
  const std::size_t perChunk = db.recordsPerChunk();
  std::vector<char> in(perChunk * size), out(perChunk * size);
  auto readChunk = [&](std::int64_t first, std::size_t want) {
    return db.file->readAt(db.slotOffset(first), in.data(), want * size) ==
           static_cast<std::int64_t>(want * size);
  };
  auto chunkAt = [&](std::int64_t first) {
    return std::size_t(std::min<std::int64_t>(std::int64_t(perChunk), count - first));
  };

  // Records before the first deleted one stay where they are.
  std::int64_t firstGap = -1;
  for (std::int64_t first = 0; first < count && firstGap < 0; first += std::int64_t(perChunk)) {
    const std::size_t want = chunkAt(first);
    if (!readChunk(first, want)) return failFile(*db.file, kReadRecordFailed);
    for (std::size_t r = 0; r < want; ++r) {
      if (le::i32(in.data() + r * size) > 0) continue;
      firstGap = first + std::int64_t(r);
      break;
    }
  }
  if (firstGap < 0) {
    nothingToDo = true;
    return true;
  }

  const auto& path = db.journal;
  platform::FileFault fault;
  auto journal = files_.open(path, {platform::OpenMode::create, true}, fault);
  if (!journal) return fail(errorOfFault(fault));
  auto abandon = [&](const platform::RecordFile& failed, int code) {
    failFile(failed, code);
    journal.reset();
    files_.remove(path);
    return false;
  };

  JournalHeader header;
  header.created = db.layout.header.created;
  header.recordSize = db.layout.header.recordSize;
  header.countBefore = count;
  header.writeAt = db.slotOffset(firstGap);
  header.payloadChecksum = kChecksumStart;
  std::int64_t kept = firstGap;
  for (std::int64_t first = firstGap; first < count;) {
    const std::size_t want = chunkAt(first);
    if (!readChunk(first, want)) return abandon(*db.file, kReadRecordFailed);
    std::size_t outBytes = 0;
    for (std::size_t r = 0; r < want; ++r) {
      const char* rec = in.data() + r * size;
      if (le::i32(rec) <= 0) continue;
      std::memcpy(out.data() + outBytes, rec, size);
      outBytes += size;
    }
    if (outBytes &&
        !journal->writeAt(kJournalHeaderSize + header.payloadSize, out.data(), outBytes))
      return abandon(*journal, kWriteRecordFailed);
    header.payloadChecksum =
        checksum(header.payloadChecksum, std::string_view(out.data(), outBytes));
    header.payloadSize += outBytes;
    kept += std::int64_t(outBytes / size);
    first += std::int64_t(want);
  }
  header.countAfter = std::int32_t(kept);
  header.lengthAfter = db.slotOffset(kept);
  const std::string head = encodeJournalHeader(header);
  // Once the journal is on the disk the purge is decided: a crash from here on is finished
  // from it, and nothing before touched the bank.
  if (!journal->writeAt(0, head.data(), head.size()) || !journal->flush())
    return abandon(*journal, kWriteRecordFailed);
  journal.reset();
  if (!files_.syncFolderOf(path)) {
    files_.remove(path);
    return fail(kWriteRecordFailed);
  }
  return true;
}

bool RecordDatabase::applyJournal(Database& db, platform::RecordFile& bank) {
  const auto& path = db.journal;
  platform::FileFault fault;
  auto journal = files_.open(path, {platform::OpenMode::readWrite, false}, fault);
  if (!journal) return fault == platform::FileFault::notFound ? true : fail(errorOfFault(fault));

  char head[kJournalHeaderSize];
  JournalHeader h;
  char raw[4];
  if (bank.readAt(kCountOffset, raw, 4) != 4) return failFile(bank, kRecordCountFailed);
  const std::int32_t count = le::i32(raw);
  // A journal cut short, or one left by another file of the same name, never touched this bank.
  bool usable = journal->readAt(0, head, sizeof head) == std::int64_t(sizeof head) &&
                decodeJournalHeader(std::string_view(head, sizeof head), h) &&
                h.recordSize == db.layout.header.recordSize &&
                h.created == db.layout.header.created &&
                (count == h.countBefore || count == h.countAfter) &&
                journal->length() == std::int64_t(kJournalHeaderSize + h.payloadSize);
  std::vector<char> chunk(db.recordsPerChunk() * std::size_t(db.layout.header.recordSize));
  auto forEachChunk = [&](auto&& use) {
    for (std::uint64_t done = 0; done < h.payloadSize;) {
      const std::size_t n =
          std::size_t(std::min<std::uint64_t>(chunk.size(), h.payloadSize - done));
      if (journal->readAt(kJournalHeaderSize + done, chunk.data(), n) != std::int64_t(n))
        return false;
      if (!use(done, std::string_view(chunk.data(), n))) return false;
      done += n;
    }
    return true;
  };
  if (usable) {
    std::uint64_t sum = kChecksumStart;
    usable = forEachChunk([&](std::uint64_t, std::string_view bytes) {
               sum = checksum(sum, bytes);
               return true;
             }) &&
             sum == h.payloadChecksum;
  }
  if (usable) {
    bool written = forEachChunk([&](std::uint64_t at, std::string_view bytes) {
      return bank.writeAt(h.writeAt + at, bytes.data(), bytes.size());
    });
    char updated[4];
    le::putI32(updated, h.countAfter);
    if (!written || !bank.writeAt(kCountOffset, updated, 4) || !bank.truncate(h.lengthAfter) ||
        !bank.flush())
      return failFile(bank, kWriteRecordFailed);  // the journal stays for the next attempt
    db.layout.header.recordCount = h.countAfter;
  }
  // Spoiled before it goes, so a removal that does not last cannot bring it back to life.
  const char spoiled[8] = {};
  if (!journal->writeAt(0, spoiled, sizeof spoiled) || !journal->flush())
    return failFile(*journal, kWriteRecordFailed);
  journal.reset();
  files_.remove(path);
  return true;
}

bool RecordDatabase::purgeLocked(Database& db) {
  if (!waitLock(db, kCountOffset, 1, LockMode::exclusive)) return false;
  bool committed = false;
  bool ok = [&] {
    char raw[4];
    if (db.file->readAt(kCountOffset, raw, 4) != 4) return failFile(*db.file, kRecordCountFailed);
    bool nothingToDo = false;
    if (!writeJournal(db, le::i32(raw), nothingToDo)) return false;
    if (nothingToDo) return true;
    committed = true;
    return applyJournal(db, *db.file);
  }();
  unlockRange(db, kCountOffset, 1);
  db.index = 0;
  // A journal on the disk finishes the purge whatever happens next.
  return ok || committed;
}

bool RecordDatabase::purgeDeleted() {
  Database* db = current();
  if (!db) return false;
  if (db->options.readOnly) return fail(kAccessDenied);
  Use use(*this, *db, LockMode::exclusive);
  if (!use) return false;
  return purgeLocked(*db);
}

bool RecordDatabase::deleteRecord(const RecordIdentity& record) {
  Database* db = current();
  if (!db) return false;
  if (db->options.readOnly) return fail(kAccessDenied);
  if (record.serial <= 0) return fail(kNoCurrentRecord);
  Use use(*this, *db, LockMode::exclusive);
  if (!use) return false;

  std::optional<std::int64_t> found;
  std::int32_t count, serial;
  if (!readCountAndSerial(*db, count, serial)) return false;
  const std::size_t size = std::size_t(db->layout.header.recordSize);
  std::vector<char> chunk(db->recordsPerChunk() * size);
  for (std::int64_t first = 0; first < count && !found;) {
    const std::size_t want =
        std::size_t(std::min<std::int64_t>(std::int64_t(db->recordsPerChunk()), count - first));
    if (db->file->readAt(db->slotOffset(first), chunk.data(), want * size) !=
        std::int64_t(want * size))
      return failFile(*db->file, kReadRecordFailed);
    for (std::size_t r = 0; r < want; ++r) {
      const char* rec = chunk.data() + r * size;
      if (le::i32(rec) != record.serial) continue;
      for (const auto& [name, text] : record.expectedTexts) {
        int i = db->layout.fieldIndex(name);
        if (i < 0) return fail(kNoSuchField);
        const Field& f = db->layout.fields[std::size_t(i)];
        if (f.type != kText ||
            readTextSlot(std::string_view(rec + f.offset, std::size_t(f.width))) != text)
          return fail(kNoCurrentRecord);
      }
      found = first + std::int64_t(r);
      break;
    }
    first += std::int64_t(want);
  }
  if (!found) return fail(kNoCurrentRecord);

  if (!waitLock(*db, kCountOffset, 1, LockMode::exclusive)) return false;
  bool marked = writeSerial(*db, *found, -record.serial);
  unlockRange(*db, kCountOffset, 1);
  if (!marked) {
    writeSerial(*db, *found, record.serial);
    return false;
  }
  if (purgeLocked(*db)) return true;
  // The purge never got as far as its journal: the record is unmarked, so nothing changed.
  const int error = lastError_;
  if (waitLock(*db, kCountOffset, 1, LockMode::exclusive)) {
    writeSerial(*db, *found, record.serial);
    unlockRange(*db, kCountOffset, 1);
  }
  return fail(error);
}

bool RecordDatabase::clearDatabase(const std::filesystem::path& path,
                                   const std::vector<FieldDef>& fields) {
  lostToExistingFile_ = false;
  if (path.empty()) return fail(kFileNotFound);
  const bool wasOpen = isOpen(path);
  if (!(wasOpen ? makeCurrent(path) : openDatabase(path))) {
    // Nothing worth keeping: a missing file, or one that is no database, becomes a new one. A
    // missing one may be made meanwhile by another process (an import): that one is kept.
    const int code = lastError_;
    if (code == kFileNotFound) return createDatabase(path, fields, /*replaceExisting=*/false);
    if (code == kNotDatabase || code == kVersionTooHigh) return createDatabase(path, fields);
    return false;
  }
  Database& db = *current_;
  bool ok = [&] {
    if (db.options.readOnly) return fail(kAccessDenied);
    Use use(*this, db, LockMode::exclusive);
    if (!use) return false;
    if (!waitLock(db, kCountOffset, 1, LockMode::exclusive)) return false;
    // The count first: a crash before the cut leaves trailing bytes that the next open drops.
    // A failure puts the old count back, so a failed clear changes nothing.
    char old[4], zero[4] = {};
    bool done =
        db.file->readAt(kCountOffset, old, 4) == 4 || failFile(*db.file, kRecordCountFailed);
    if (done &&
        !(db.file->writeAt(kCountOffset, zero, 4) && db.file->truncate(db.layout.dataStart))) {
      failFile(*db.file, kWriteRecordFailed);
      const int error = lastError_;
      db.file->writeAt(kCountOffset, old, 4);
      done = fail(error);
    }
    done = done && (db.file->flush() || failFile(*db.file, kWriteRecordFailed));
    unlockRange(db, kCountOffset, 1);
    if (done) {
      db.layout.header.recordCount = 0;
      db.index = 0;
    }
    return done;
  }();
  if (!wasOpen) {
    const int error = lastError_;
    closeDatabase(path);
    lastError_ = error;
  }
  return ok;
}

bool RecordDatabase::removeDatabase(const std::filesystem::path& path) {
  if (path.empty()) return fail(kFileNotFound);
  const auto target = withDefaultExtension(path);
  if (isOpen(target)) closeDatabase(target);
  std::error_code ec;
  const auto real = std::filesystem::canonical(target, ec);
  platform::FileFault fault;
  auto file = files_.open(target, {platform::OpenMode::readWrite, false}, fault);
  if (!file) return fail(errorOfFault(fault));
  if (int code = waitFileLock(*file, kUseLock, 1, LockMode::exclusive)) return fail(code);
  // Natively the name goes while the lock is held, so no use can begin in between; Windows
  // deletes no file that is open anywhere, this handle included.
  bool removed = files_.remove(target);
  if (!removed) {
    file.reset();
    removed = files_.remove(target);
  }
  file.reset();
  if (!removed) return fail(kSharingViolation);
  // A link removed leaves the file it named, and that file's journal, in place.
  const auto journal = journalPath(ec ? target : real);
  if (!files_.exists(ec ? target : real) && files_.exists(journal)) files_.remove(journal);
  return true;
}

}  // namespace bank
