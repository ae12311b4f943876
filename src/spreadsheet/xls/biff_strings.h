// Unicode strings of BIFF8 records, which may run on into CONTINUE records.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

// Reads consecutive fields from a record body and the CONTINUE bodies after it. Character data
// that crosses into the next body starts there with a fresh option byte (compressed or not),
// as the format requires; every other field simply runs on.
class SegmentedReader {
 public:
  explicit SegmentedReader(std::vector<std::string_view> segments);
  bool readU8(std::uint8_t& value);
  bool readU16(std::uint16_t& value);
  bool readU32(std::uint32_t& value);
  bool skip(std::uint32_t count);
  bool atEnd();

  // A string with a 16-bit (or, when `shortCount`, 8-bit) character count, an option byte,
  // optional rich-text runs and extended data, which are skipped.
  bool readUnicodeString(std::u16string& out, bool shortCount = false);

 private:
  bool readChars(std::size_t count, bool wide, std::u16string& out);
  bool nextSegment();

  std::vector<std::string_view> segments_;
  std::size_t segment_ = 0;
  std::size_t pos_ = 0;
};

}  // namespace xls
