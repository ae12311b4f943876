#include "spreadsheet/xls/biff_strings.h"

#include <algorithm>

#include "spreadsheet/xls/little_endian.h"

namespace xls {
namespace {

constexpr std::uint8_t kHighByte = 0x01;
constexpr std::uint8_t kExtended = 0x04;
constexpr std::uint8_t kRichText = 0x08;

}  // namespace

SegmentedReader::SegmentedReader(std::vector<std::string_view> segments)
    : segments_(std::move(segments)) {}

bool SegmentedReader::nextSegment() {
  if (segment_ >= segments_.size()) return false;
  ++segment_;
  pos_ = 0;
  return segment_ < segments_.size();
}

bool SegmentedReader::atEnd() {
  while (segment_ < segments_.size() && pos_ >= segments_[segment_].size()) nextSegment();
  return segment_ >= segments_.size();
}

bool SegmentedReader::readU8(std::uint8_t& value) {
  if (atEnd()) return false;
  value = byteAt(segments_[segment_], pos_++);
  return true;
}

bool SegmentedReader::readU16(std::uint16_t& value) {
  std::uint8_t low, high;
  if (!readU8(low) || !readU8(high)) return false;
  value = static_cast<std::uint16_t>(low | (high << 8));
  return true;
}

bool SegmentedReader::readU32(std::uint32_t& value) {
  std::uint16_t low, high;
  if (!readU16(low) || !readU16(high)) return false;
  value = low | (static_cast<std::uint32_t>(high) << 16);
  return true;
}

bool SegmentedReader::skip(std::uint32_t count) {
  while (count > 0) {
    if (atEnd()) return false;
    std::size_t step = std::min<std::size_t>(count, segments_[segment_].size() - pos_);
    pos_ += step;
    count -= static_cast<std::uint32_t>(step);
  }
  return true;
}

bool SegmentedReader::readChars(std::size_t count, bool wide, std::u16string& out) {
  while (count > 0) {
    if (segment_ >= segments_.size()) return false;
    std::string_view data = segments_[segment_];
    if (pos_ >= data.size()) {
      // The characters go on in the next non-empty body, behind a new option byte.
      do {
        if (!nextSegment()) return false;
      } while (segments_[segment_].empty());
      std::uint8_t options = byteAt(segments_[segment_], pos_++);
      wide = (options & kHighByte) != 0;
      continue;
    }
    std::size_t width = wide ? 2 : 1;
    std::size_t available = std::min(count, (data.size() - pos_) / width);
    if (available == 0) {  // a stray byte before the boundary: the text goes on behind it
      pos_ = data.size();
      continue;
    }
    for (std::size_t i = 0; i < available; ++i, pos_ += width) {
      auto unit = wide ? static_cast<char16_t>(u16At(data, pos_))
                       : static_cast<char16_t>(byteAt(data, pos_));
      // Texts leave the library zero-terminated: a NUL inside would cut them short.
      if (unit != 0) out.push_back(unit);
    }
    count -= available;
  }
  return true;
}

bool SegmentedReader::readUnicodeString(std::u16string& out, bool shortCount) {
  out.clear();
  std::uint16_t count = 0;
  std::uint8_t options = 0;
  if (shortCount) {
    std::uint8_t shortValue;
    if (!readU8(shortValue)) return false;
    count = shortValue;
  } else if (!readU16(count)) {
    return false;
  }
  // Some writers end an empty string after its count, without the option byte.
  if (count == 0 && atEnd()) return true;
  if (!readU8(options)) return false;
  std::uint16_t runs = 0;
  std::uint32_t extendedSize = 0;
  if ((options & kRichText) && !readU16(runs)) return false;
  if ((options & kExtended) && !readU32(extendedSize)) return false;
  return readChars(count, (options & kHighByte) != 0, out) &&
         skip(4 * static_cast<std::uint32_t>(runs)) && skip(extendedSize);
}

}  // namespace xls
