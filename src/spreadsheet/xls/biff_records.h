// Walking the BIFF8 record stream of a workbook: record ids and a bounds-checked reader.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace xls {

namespace record {
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kWindow1 = 0x003D;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kPalette = 0x0092;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kMulBlank = 0x00BE;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kMergedCells = 0x00E5;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kBof = 0x0809;
// Beginnings of files older than BIFF5, which carry no compound-file container.
constexpr std::uint16_t kBofBiff2 = 0x0009;
constexpr std::uint16_t kBofBiff3 = 0x0209;
constexpr std::uint16_t kBofBiff4 = 0x0409;
}  // namespace record

struct Record {
  std::uint16_t id = 0;
  std::string_view data;
  std::size_t offset = 0;  // of the record header in the stream
};

// Reads records between `begin` and `end` of a stream. A record whose declared length runs past
// `end` marks the reader truncated and ends it.
class RecordReader {
 public:
  RecordReader(std::string_view stream, std::size_t begin, std::size_t end);
  bool next(Record& out);
  // Id of the next record without consuming it; false when none is left.
  bool peekId(std::uint16_t& id) const;
  // The bodies of the CONTINUE records that follow, consumed.
  void takeContinues(std::vector<std::string_view>& segments);
  bool truncated() const { return truncated_; }

 private:
  std::string_view stream_;
  std::size_t pos_;
  std::size_t end_;
  bool truncated_ = false;
};

}  // namespace xls
