// Reading many records at once where they lie: the scans of the search read a bank through
// mappings of its file, so the bytes are never copied and only those looked at are touched.
#include <algorithm>
#include <vector>

#include "bank/record_database_internal.h"

namespace bank {

RecordReader::RecordReader(platform::RecordFile& file, const Layout& layout, RecordsStamp stamp,
                           std::size_t windowBytes)
    : file_(file),
      layout_(layout),
      count_(stamp.recordCount),
      stamp_(stamp),
      windowRecords_(static_cast<std::int32_t>(std::clamp<std::size_t>(
          windowBytes / static_cast<std::size_t>(layout.header.recordSize), 1, INT32_MAX))) {}

std::uint64_t RecordReader::offsetOf(std::int32_t index) const {
  return layout_.dataStart +
         static_cast<std::uint64_t>(index) * static_cast<std::uint64_t>(layout_.header.recordSize);
}

int RecordReader::forEachRun(std::int32_t first, std::int32_t end,
                             const std::function<bool(const RecordRun&)>& visit) const {
  const auto size = static_cast<std::size_t>(layout_.header.recordSize);
  first = std::max(first, 0);
  end = std::min(end, count_);
  bool mapping = true;
  std::vector<char> chunk;
  for (std::int32_t at = first; at < end;) {
    if (mapping) {
      const std::int32_t n = std::min(end - at, windowRecords_);
      auto mapped =
          file_.map(offsetOf(at), static_cast<std::size_t>(n) * size, platform::MapUse::whole);
      if (mapped) {
        if (!visit({at, n, mapped->data()})) return kOk;
        at += n;
        continue;
      }
      mapping = false;  // this file will not map: read the rest
    }
    if (chunk.empty()) chunk.resize(std::max<std::size_t>(1, kChunkBytes / size) * size);
    const std::int32_t want =
        std::min<std::int32_t>(end - at, static_cast<std::int32_t>(chunk.size() / size));
    std::int64_t got =
        file_.readAt(offsetOf(at), chunk.data(), static_cast<std::size_t>(want) * size);
    if (got < static_cast<std::int64_t>(static_cast<std::size_t>(want) * size))
      return kReadRecordFailed;  // a failed read, or a file cut shorter meanwhile
    if (!visit({at, want, chunk.data()})) return kOk;
    at += want;
  }
  return kOk;
}

std::string_view RecordReader::record(std::int32_t index) {
  const auto size = static_cast<std::size_t>(layout_.header.recordSize);
  if (index < 0 || index >= count_) {
    error_ = kNoCurrentRecord;
    return {};
  }
  if (window_ && index >= windowFirst_ && index - windowFirst_ < windowCount_)
    return {window_->data() + static_cast<std::size_t>(index - windowFirst_) * size, size};
  if (mappable_) {
    // The records asked for come in rising order: the window starts here and reaches ahead.
    const std::int32_t n = std::min(count_ - index, windowRecords_);
    window_.reset();
    window_ =
        file_.map(offsetOf(index), static_cast<std::size_t>(n) * size, platform::MapUse::sparse);
    if (window_) {
      windowFirst_ = index;
      windowCount_ = n;
      return {window_->data(), size};
    }
    mappable_ = false;
  }
  copy_.resize(size);
  if (file_.readAt(offsetOf(index), copy_.data(), size) != static_cast<std::int64_t>(size)) {
    error_ = kReadRecordFailed;
    return {};
  }
  return copy_;
}

bool RecordDatabase::readRecords(const std::function<int(RecordReader&)>& work,
                                 std::size_t windowBytes) {
  Database* db = current();
  if (!db) return false;
  Use use(*this, *db, platform::LockMode::shared);
  if (!use) return false;
  RecordsStamp stamp;
  if (!readCountAndSerial(*db, stamp.recordCount, stamp.nextSerial)) return false;
  stamp.fileKnown = db->file->identity(stamp.file);
  // Only records the file holds whole are read, or a mapping would reach past its end.
  const std::int64_t length =
      stamp.fileKnown ? static_cast<std::int64_t>(stamp.file.length) : db->file->length();
  if (length < 0) return failFile(*db->file, kReadRecordFailed);
  if (static_cast<std::uint64_t>(length) < db->slotOffset(stamp.recordCount))
    return fail(kReadRecordFailed);  // cut short since it was opened
  RecordReader reader(*db->file, db->layout, stamp, windowBytes);
  if (int code = work(reader)) return fail(code);
  return true;
}

}  // namespace bank
