#include "spreadsheet/xls/biff_records.h"

#include <algorithm>

#include "spreadsheet/xls/little_endian.h"

namespace xls {

RecordReader::RecordReader(std::string_view stream, std::size_t begin, std::size_t end)
    : stream_(stream), pos_(begin), end_(std::min(end, stream.size())) {}

bool RecordReader::peekId(std::uint16_t& id) const {
  if (pos_ > end_ || end_ - pos_ < 4) return false;
  id = u16At(stream_, pos_);
  return true;
}

bool RecordReader::next(Record& out) {
  if (pos_ > end_ || end_ - pos_ < 4) {
    if (pos_ < end_) truncated_ = true;
    pos_ = end_;
    return false;
  }
  std::size_t length = u16At(stream_, pos_ + 2);
  if (end_ - pos_ - 4 < length) {
    truncated_ = true;
    pos_ = end_;
    return false;
  }
  out.id = u16At(stream_, pos_);
  out.offset = pos_;
  out.data = stream_.substr(pos_ + 4, length);
  pos_ += 4 + length;
  return true;
}

void RecordReader::takeContinues(std::vector<std::string_view>& segments) {
  std::uint16_t id;
  Record continued;
  while (peekId(id) && id == record::kContinue && next(continued)) {
    segments.push_back(continued.data);
  }
}

}  // namespace xls
