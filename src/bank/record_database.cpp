#include "bank/record_database.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "bank/purge_journal.h"
#include "bank/record_database_internal.h"
#include "platform/files.h"
#include "platform/gbk_text.h"
#include "platform/little_endian.h"
#include "platform/number_text.h"

namespace bank {
namespace {

constexpr double kMinDate = -657434;  // 1 January 100
constexpr double kMaxDate = 2958465;  // 31 December 9999

std::filesystem::path fullPath(const std::filesystem::path& path) {
  std::error_code ec;
  auto full = std::filesystem::absolute(path, ec);
  return (ec ? path : full).lexically_normal();
}

// Names are compared as Windows does, without regard to the case of A to Z. The path is UTF-8,
// so those bytes alone are folded: read as GBK pairs, a letter after a Chinese character would
// be taken for half of a pair and kept.
std::string pathKey(const std::filesystem::path& path) {
  auto u8 = path.generic_u8string();
  std::string key(reinterpret_cast<const char*>(u8.data()), u8.size());
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return key;
}

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b) {
  return pathKey(a) == pathKey(b);
}

std::int64_t parseInteger(const std::string& text) {
  std::int64_t v = 0;
  const char* b = text.data();
  while (b < text.data() + text.size() && *b == ' ') ++b;
  std::from_chars(b, text.data() + text.size(), v);
  return v;
}

double parseNumber(const std::string& text) {
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  return std::isfinite(v) ? v : 0;
}

// The file itself, whatever links lead to it: a name reached through another name finds the
// same journal.
std::filesystem::path realPath(const std::filesystem::path& path) {
  std::error_code ec;
  auto real = std::filesystem::canonical(path, ec);
  return ec ? path : real;
}

// A bank that is a symbolic link is the file it names: rewriting it keeps the link.
std::filesystem::path followLinks(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(path, ec)) return path;
  auto target = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : target;
}

}  // namespace

std::filesystem::path withDefaultExtension(const std::filesystem::path& path,
                                           const char* extension) {
  if (path.has_extension()) return path;
  auto out = path;
  out += extension;
  return out;
}

RecordDatabase::RecordDatabase(platform::FileSystem& files) : files_(files) {}
RecordDatabase::~RecordDatabase() = default;

bool RecordDatabase::fail(int code) {
  lastError_ = code;
  return false;
}

bool RecordDatabase::failFile(const platform::RecordFile& file, int fallback) {
  auto fault = file.lastFault();
  return fail(fault == platform::FileFault::none || fault == platform::FileFault::other
                  ? fallback
                  : errorOfFault(fault));
}

RecordDatabase::Database* RecordDatabase::current() {
  if (!current_) fail(kNoCurrentDatabase);
  return current_;
}

const Layout* RecordDatabase::layout() const { return current_ ? &current_->layout : nullptr; }

// ---------------------------------------------------------------------------------------------
// Creating

bool RecordDatabase::createDatabase(const std::filesystem::path& path,
                                    const std::vector<FieldDef>& defs, bool replaceExisting) {
  lostToExistingFile_ = false;
  if (path.empty()) return fail(kFileNotFound);
  if (defs.empty()) return fail(kNoFields);
  std::vector<Field> fields;
  if (int code = planFields(defs, fields)) return fail(code);

  Header header;
  header.created = oleDateNow();
  header.recordSize = 4;
  for (const auto& f : fields) header.recordSize += f.width;
  const auto target = followLinks(withDefaultExtension(path));
  platform::removeAbandonedTemporaries(target);
  const auto temp = platform::temporarySibling(target);

  // Built beside the target and moved over it, so an existing file is never left half-made.
  platform::FileFault fault;
  auto file = files_.open(temp, {platform::OpenMode::create, true}, fault);
  if (!file) return fail(errorOfFault(fault));
  std::string bytes = encodeLayout(header, fields);
  if (!file->writeAt(0, bytes.data(), bytes.size()) || !file->flush()) {
    failFile(*file, kWriteRecordFailed);
    file.reset();
    files_.remove(temp);
    return false;
  }
  file.reset();
  if (!replaceExisting) {
    if (files_.placeNew(temp, target)) return true;
    files_.remove(temp);
    lostToExistingFile_ = files_.exists(target);
    return fail(kSharingViolation);
  }
  // A use of the old file that another process has begun ends before the file is replaced.
  auto old = files_.open(target, {platform::OpenMode::readWrite, false}, fault);
  if (old) {
    if (int code = waitFileLock(*old, kUseLock, 1, platform::LockMode::exclusive)) {
      old.reset();
      files_.remove(temp);
      return fail(code);
    }
  }
  bool replaced = files_.replace(temp, target);
  old.reset();
  if (!replaced) {
    files_.remove(temp);
    return fail(kSharingViolation);
  }

  bool companion = std::any_of(fields.begin(), fields.end(),
                               [](const Field& f) { return f.type == kBytes || f.type == kMemo; });
  if (!companion) return true;
  auto companionFile = files_.open(withDefaultExtension(target).replace_extension(".EDT"),
                                   {platform::OpenMode::create, true}, fault);
  if (!companionFile) return fail(kCompanionCreateFailed);
  std::string block(kCompanionBlock, '\0');
  le::putI32(block.data(), static_cast<std::int32_t>(kCompanionMagic));
  le::putI32(block.data() + 4, static_cast<std::int32_t>(header.version));
  le::putF64(block.data() + 8, header.created);
  le::putI32(block.data() + 16, 1);
  if (!companionFile->writeAt(0, block.data(), block.size()) || !companionFile->flush())
    return fail(kCompanionCreateFailed);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

bool RecordDatabase::openDatabase(const std::filesystem::path& path, const OpenOptions& options) {
  if (path.empty()) return fail(kFileNotFound);
  auto db = std::make_unique<Database>();
  db->path = fullPath(withDefaultExtension(path));
  db->options = options;
  if (isOpen(db->path)) return fail(kSharingViolation);
  const auto real = realPath(db->path);
  db->journal = journalPath(real);
  // Once per file in this engine's life: a long-running program opens its bank for every search.
  if (swept_.insert(pathKey(real)).second) platform::removeAbandonedTemporaries(real);
  if (!openInto(*db)) return false;
  current_ = db.get();
  open_.push_back(std::move(db));
  return true;
}

bool RecordDatabase::openInto(Database& db) {
  platform::FileFault fault;
  platform::OpenRequest request{
      db.options.readOnly ? platform::OpenMode::readOnly : platform::OpenMode::readWrite,
      db.options.exclusive};
  db.file = files_.open(db.path, request, fault);
  if (!db.file) return fail(errorOfFault(fault));
  if (!waitLock(db, 0, kWholeFile, platform::LockMode::exclusive)) {
    db.file.reset();
    return false;
  }
  bool ok = [&] {
    char head[kHeaderSize + 4];
    std::int64_t got = db.file->readAt(0, head, sizeof head);
    if (got < static_cast<std::int64_t>(kHeaderSize)) return fail(kNotDatabase);
    if (int code = decodeHeader(std::string_view(head, kHeaderSize), db.layout.header))
      return fail(code);
    std::int64_t length = db.file->length();
    if (length < 0) return failFile(*db.file, kNotDatabase);
    std::int32_t count = got == sizeof head ? le::i32(head + kHeaderSize) : 0;
    if (!fieldCountFits(count, static_cast<std::uint64_t>(length))) return fail(kNotDatabase);
    std::string descriptors(kDescriptorSize * static_cast<std::size_t>(count), '\0');
    if (db.file->readAt(kFieldsStart, descriptors.data(), descriptors.size()) !=
        static_cast<std::int64_t>(descriptors.size()))
      return fail(kNotDatabase);
    if (int code = decodeFields(descriptors, count, db.layout.header, db.layout.fields))
      return fail(code);
    db.layout.dataStart = kFieldsStart + descriptors.size();
    if (!repairTail(db, static_cast<std::uint64_t>(length))) return false;
    if (db.layout.hasCompanionField() && !checkCompanion(db)) return false;
    return true;
  }();
  unlockRange(db, 0, kWholeFile);
  if (!ok) db.file.reset();
  db.index = 0;
  return ok;
}

// Drops a cut-short last record and trailing bytes, and keeps the next serial above every
// serial in the file (a torn header update could leave it behind).
bool RecordDatabase::repairTail(Database& db, std::uint64_t fileLength) {
  Header& h = db.layout.header;
  const std::uint64_t size = static_cast<std::uint64_t>(h.recordSize);
  const std::uint64_t slots =
      fileLength < db.layout.dataStart ? 0 : (fileLength - db.layout.dataStart) / size;
  if (slots < static_cast<std::uint64_t>(h.recordCount)) {
    if (db.options.readOnly) return fail(kFileSizeWrong);
    h.recordCount = static_cast<std::int32_t>(slots);
    char raw[4];
    le::putI32(raw, h.recordCount);
    if (!db.file->writeAt(kCountOffset, raw, 4)) return failFile(*db.file, kWriteRecordFailed);
  }
  if (db.options.readOnly) return true;
  if (fileLength != db.slotOffset(h.recordCount) &&
      !db.file->truncate(db.slotOffset(h.recordCount)))
    return failFile(*db.file, kWriteRecordFailed);
  if (h.recordCount == 0) return true;
  char raw[4];
  if (db.file->readAt(db.slotOffset(h.recordCount - 1), raw, 4) != 4)
    return failFile(*db.file, kReadRecordFailed);
  std::int64_t last = std::llabs(static_cast<std::int64_t>(le::i32(raw)));
  if (last >= h.nextSerial && last < INT32_MAX) {
    h.nextSerial = static_cast<std::int32_t>(last + 1);
    le::putI32(raw, h.nextSerial);
    if (!db.file->writeAt(kCountOffset + 4, raw, 4)) return failFile(*db.file, kWriteRecordFailed);
  }
  return true;
}

bool RecordDatabase::checkCompanion(Database& db) {
  auto path = db.path;
  path.replace_extension(".EDT");
  platform::FileFault fault;
  auto file = files_.open(
      path,
      {db.options.readOnly ? platform::OpenMode::readOnly : platform::OpenMode::readWrite, false},
      fault);
  if (!file) return fail(kCompanionReadFailed);
  char head[kCompanionHeaderSize];
  if (file->readAt(0, head, sizeof head) != static_cast<std::int64_t>(sizeof head))
    return fail(kCompanionReadFailed);
  std::int32_t blocks = le::i32(head + 16);
  std::int32_t refA = le::i32(head + 20), refB = le::i32(head + 24);
  if (static_cast<std::uint32_t>(le::i32(head)) != kCompanionMagic || blocks <= 0 || refA < 0 ||
      refA >= blocks || refB < 0 || refB >= blocks)
    return fail(kCompanionReadFailed);
  if (static_cast<std::uint32_t>(le::i32(head + 4)) != db.layout.header.version)
    return fail(kCompanionVersion);
  std::int64_t length = file->length();
  if (length < 0) return fail(kCompanionReadFailed);
  std::int64_t whole = length / static_cast<std::int64_t>(kCompanionBlock);
  if (whole < blocks) {
    if (db.options.readOnly) return fail(kCompanionDamaged);
    char raw[4];
    le::putI32(raw, static_cast<std::int32_t>(whole));
    if (!file->writeAt(16, raw, 4)) return fail(kCompanionAccessFailed);
  }
  return true;
}

bool RecordDatabase::isOpen(const std::filesystem::path& path) const {
  auto full = fullPath(withDefaultExtension(path));
  for (const auto& db : open_)
    if (samePath(db->path, full)) return true;
  return false;
}

bool RecordDatabase::makeCurrent(const std::filesystem::path& path) {
  auto full = fullPath(withDefaultExtension(path));
  for (const auto& db : open_) {
    if (!samePath(db->path, full)) continue;
    current_ = db.get();
    return true;
  }
  return fail(kNoCurrentDatabase);
}

void RecordDatabase::closeDatabase() {
  if (!current_) return;
  closeDatabase(current_->path);
}

void RecordDatabase::closeDatabase(const std::filesystem::path& path) {
  auto full = fullPath(withDefaultExtension(path));
  for (auto it = open_.begin(); it != open_.end(); ++it) {
    if (!samePath((*it)->path, full)) continue;
    if (current_ == it->get()) current_ = nullptr;
    open_.erase(it);
    return;
  }
}

// ---------------------------------------------------------------------------------------------
// Position

bool RecordDatabase::readCountAndSerial(Database& db, std::int32_t& count, std::int32_t& serial) {
  if (!waitLock(db, kCountOffset, 1, platform::LockMode::shared)) return false;
  char raw[8];
  bool ok = db.file->readAt(kCountOffset, raw, 8) == 8;
  unlockRange(db, kCountOffset, 1);
  if (!ok) return failFile(*db.file, kRecordCountFailed);
  count = le::i32(raw);
  serial = le::i32(raw + 4);
  db.layout.header.recordCount = count;
  db.layout.header.nextSerial = serial;
  return true;
}

std::int32_t RecordDatabase::recordCount() {
  Database* db = current();
  if (!db) return kNoCurrentDatabase;
  std::int32_t count, serial;
  if (!readCountAndSerial(*db, count, serial)) return kRecordCountFailed;
  return count;
}

void RecordDatabase::goFirst() {
  if (Database* db = current()) db->index = 0;
}

bool RecordDatabase::goTo(std::int32_t number) {
  Database* db = current();
  if (!db) return false;
  std::int32_t count, serial;
  if (!readCountAndSerial(*db, count, serial)) return false;
  db->index = std::max<std::int64_t>(
      0, std::min<std::int64_t>(std::int64_t{number} - 1, std::int64_t{count} - 1));
  return true;
}

bool RecordDatabase::skip(std::int32_t n) {
  Database* db = current();
  if (!db) return false;
  std::int32_t count, serial;
  if (!readCountAndSerial(*db, count, serial)) return false;
  if (n > 0 && (count == 0 || db->index >= count)) return fail(kAfterLast);
  if (n < 0 && (count == 0 || db->index < 0)) return fail(kBeforeFirst);
  db->index = std::max<std::int64_t>(-1, std::min<std::int64_t>(count, db->index + n));
  return true;
}

std::int32_t RecordDatabase::recordNumber() const {
  return current_ ? static_cast<std::int32_t>(current_->index + 1) : 0;
}

// ---------------------------------------------------------------------------------------------
// Reading

bool RecordDatabase::readValue(std::string_view name, FieldValue& value) {
  value = FieldValue{};
  Database* db = current();
  if (!db) return false;
  int i = db->layout.fieldIndex(name);
  if (i < 0) return fail(kNoSuchField);
  const Field& f = db->layout.fields[static_cast<std::size_t>(i)];
  value.type = f.type;
  if (db->index < 0) return fail(kSeekFailed);
  Use use(*this, *db, platform::LockMode::shared);
  if (!use) return false;
  char slot[kMaxTextWidth];
  std::int64_t got =
      db->file->readAt(db->slotOffset(db->index) + static_cast<std::uint64_t>(f.offset), slot,
                       static_cast<std::size_t>(f.width));
  if (got < 0) return failFile(*db->file, kReadFieldFailed);
  if (got < f.width) return fail(kSeekFailed);
  std::int32_t i32 = le::i32(slot);
  switch (f.type) {
    case kByte:
      value.integer = static_cast<unsigned char>(slot[0]);
      break;
    case kShort: {
      std::int16_t v;
      std::memcpy(&v, slot, 2);
      value.integer = v;
      break;
    }
    case kInt:
    case kRoutine:
    case kBytes:
    case kMemo:
      value.integer = i32;
      break;
    case kInt64:
      std::memcpy(&value.integer, slot, 8);
      break;
    case kFloat: {
      float v;
      std::memcpy(&v, slot, 4);
      value.number = v;
      break;
    }
    case kDouble:
      value.number = le::f64(slot);
      break;
    case kBool:
      value.flag = slot[0] != 0;
      break;
    case kDateTime: {
      double v = le::f64(slot);
      value.number = std::isnan(v) ? 0 : std::clamp(v, kMinDate, kMaxDate);
      break;
    }
    case kText:
      value.text = std::string(readTextSlot(std::string_view(slot, static_cast<std::size_t>(got))));
      break;
  }
  return true;
}

std::string RecordDatabase::readField(std::string_view name) {
  FieldValue v;
  if (!readValue(name, v)) return {};
  switch (v.type) {
    case kText:
      return v.text;
    case kBool:
      return v.flag ? "1" : "0";
    case kFloat:
    case kDouble:
    case kDateTime:
      return platform::numberText(v.number);
    case kBytes:
    case kMemo:
      return {};  // values in the companion file are not kept by this engine
    default:
      return std::to_string(v.integer);
  }
}

// ---------------------------------------------------------------------------------------------
// Writing

// One record's bytes, serial left 0; false (with the error set) for a value it cannot hold.
bool RecordDatabase::encodeRecord(const Layout& lay, const std::vector<std::string>& values,
                                  char* record) {
  for (std::size_t i = 0; i < lay.fields.size(); ++i) {
    const Field& f = lay.fields[i];
    const std::string empty;
    const std::string& v = i < values.size() ? values[i] : empty;
    char* slot = record + f.offset;
    switch (f.type) {
      case kText:
        std::memcpy(slot, v.data(), textSlotLength(v, static_cast<std::size_t>(f.width)));
        break;
      case kByte:
      case kBool:
        slot[0] = static_cast<char>(parseInteger(v));
        break;
      case kShort: {
        auto s = static_cast<std::int16_t>(parseInteger(v));
        std::memcpy(slot, &s, 2);
        break;
      }
      case kInt:
      case kRoutine:
        le::putI32(slot, static_cast<std::int32_t>(parseInteger(v)));
        break;
      case kInt64: {
        std::int64_t s = parseInteger(v);
        std::memcpy(slot, &s, 8);
        break;
      }
      case kFloat: {
        auto s = static_cast<float>(parseNumber(v));
        std::memcpy(slot, &s, 4);
        break;
      }
      case kDouble:
      case kDateTime:
        le::putF64(slot, parseNumber(v));
        break;
      case kBytes:
      case kMemo:
        // Companion-file values are not supported; refuse rather than drop them.
        if (!v.empty()) return fail(kCompanionAccessFailed);
        break;
    }
  }
  return true;
}

bool RecordDatabase::addRecord(const std::vector<std::string>& values) {
  return addRecords({values});
}

bool RecordDatabase::addRecords(const std::vector<std::vector<std::string>>& records) {
  Database* db = current();
  if (!db) return false;
  if (db->options.readOnly) return fail(kAccessDenied);
  if (records.empty()) return true;
  const Layout& lay = db->layout;
  const std::size_t size = static_cast<std::size_t>(lay.header.recordSize);
  std::string bytes(size * records.size(), '\0');
  for (std::size_t i = 0; i < records.size(); ++i)
    if (!encodeRecord(lay, records[i], bytes.data() + i * size)) return false;
  const auto added = static_cast<std::int32_t>(records.size());

  Use use(*this, *db, platform::LockMode::shared);
  if (!use) return false;
  // Byte 16 stays locked from reading the count to writing it back, so two appenders never
  // take the same slot or serial.
  if (!waitLock(*db, kCountOffset, 1, platform::LockMode::exclusive)) return false;
  bool ok = [&] {
    char raw[8];
    if (db->file->readAt(kCountOffset, raw, 8) != 8) return failFile(*db->file, kRecordCountFailed);
    const std::int32_t count = le::i32(raw), serial = le::i32(raw + 4);
    if (count < 0 || serial <= 0 || count > INT32_MAX - added || serial > INT32_MAX - added)
      return fail(kWriteRecordFailed);
    const std::uint64_t end = db->slotOffset(count);
    for (std::int32_t i = 0; i < added; ++i)
      le::putI32(bytes.data() + std::size_t(i) * size, serial + i);
    // The records first, then the count that makes them part of the bank: until the count is
    // written no reader sees them, and a crash in between leaves a tail the next open drops.
    if (!db->file->writeAt(end, bytes.data(), bytes.size())) {
      failFile(*db->file, kWriteRecordFailed);
      db->file->truncate(end);
      return false;
    }
    char updated[8];
    le::putI32(updated, count + added);
    le::putI32(updated + 4, serial + added);
    if (!db->file->writeAt(kCountOffset, updated, 8)) {
      failFile(*db->file, kWriteRecordFailed);
      db->file->writeAt(kCountOffset, raw, 8);
      db->file->truncate(end);
      return false;
    }
    db->layout.header.recordCount = count + added;
    db->layout.header.nextSerial = serial + added;
    db->index = count + added - 1;
    return true;
  }();
  unlockRange(*db, kCountOffset, 1);
  return ok;
}

bool RecordDatabase::writeSerial(Database& db, std::int64_t index, std::int32_t serial) {
  char raw[4];
  le::putI32(raw, serial);
  if (db.file->writeAt(db.slotOffset(index), raw, 4)) return true;
  return failFile(*db.file, kWriteRecordFailed);
}

bool RecordDatabase::markDeleted() {
  Database* db = current();
  if (!db) return false;
  if (db->options.readOnly) return fail(kAccessDenied);
  if (db->index < 0) return fail(kNoCurrentRecord);
  Use use(*this, *db, platform::LockMode::shared);
  if (!use) return false;
  if (!waitLock(*db, kCountOffset, 1, platform::LockMode::exclusive)) return false;
  bool ok = [&] {
    char raw[4];
    std::int64_t got = db->file->readAt(db->slotOffset(db->index), raw, 4);
    if (got < 0) return failFile(*db->file, kReadRecordFailed);
    if (got < 4) return fail(kNoCurrentRecord);
    std::int32_t serial = le::i32(raw);
    if (serial <= 0) return true;
    if (writeSerial(*db, db->index, -serial)) return true;
    int error = lastError_;
    db->file->writeAt(db->slotOffset(db->index), raw, 4);  // undo a partial write
    return fail(error);
  }();
  unlockRange(*db, kCountOffset, 1);
  return ok;
}

bool RecordDatabase::findRecord(const std::function<bool(RecordDatabase&)>& condition) {
  Database* db = current();
  if (!db) return false;
  std::int32_t count = recordCount();
  if (count < 0) return false;
  const std::int64_t start = db->index;
  for (std::int64_t i = std::max<std::int64_t>(0, start); i < count; ++i) {
    db->index = i;
    if (condition(*this)) return true;
    if (current_ != db) return false;  // the condition closed the database
  }
  db->index = start;
  return false;
}

bool RecordDatabase::scanRecords(const std::vector<std::string>& fieldNames,
                                 const std::function<bool(const ScanRow&)>& visit) {
  Database* db = current();
  if (!db) return false;
  std::vector<const Field*> chosen;
  for (const auto& name : fieldNames) {
    int i = db->layout.fieldIndex(name);
    if (i < 0) return fail(kNoSuchField);
    chosen.push_back(&db->layout.fields[static_cast<std::size_t>(i)]);
  }
  Use use(*this, *db, platform::LockMode::shared);
  if (!use) return false;
  std::int32_t count, serial;
  if (!readCountAndSerial(*db, count, serial)) return false;

  const std::size_t size = static_cast<std::size_t>(db->layout.header.recordSize);
  const std::size_t perChunk = db->recordsPerChunk();
  std::vector<char> chunk(perChunk * size);
  std::vector<std::string_view> texts(chosen.size());
  ScanRow row;
  row.texts = &texts;
  for (std::int64_t first = 0; first < count;) {
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(perChunk), count - first));
    std::int64_t got = db->file->readAt(db->slotOffset(first), chunk.data(), want * size);
    if (got < 0) return failFile(*db->file, kReadRecordFailed);
    const std::size_t whole = static_cast<std::size_t>(got) / size;
    for (std::size_t r = 0; r < whole; ++r) {
      const char* rec = chunk.data() + r * size;
      row.recordNumber = static_cast<std::int32_t>(first + static_cast<std::int64_t>(r) + 1);
      row.serial = le::i32(rec);
      for (std::size_t k = 0; k < chosen.size(); ++k) {
        const Field& f = *chosen[k];
        texts[k] =
            f.type == kText
                ? readTextSlot(std::string_view(rec + f.offset, static_cast<std::size_t>(f.width)))
                : std::string_view();
      }
      if (!visit(row)) return true;
    }
    if (whole < want) return fail(kReadRecordFailed);  // the file was cut meanwhile
    first += static_cast<std::int64_t>(whole);
  }
  return true;
}

}  // namespace bank
