// The on-disk layout of a record database file: a 112-byte header, the field count, one
// 72-byte descriptor per field, then fixed-size records. Pure functions over bytes, so the
// engine, the fuzzer and the tests share one reading of the format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bank {

inline constexpr std::uint32_t kMagic = 0x42444557;           // "WEDB"
inline constexpr std::uint32_t kCompanionMagic = 0x54444557;  // "WEDT"
inline constexpr std::uint32_t kVersion = 0x00010000;
inline constexpr std::size_t kHeaderSize = 112;
inline constexpr std::size_t kDescriptorSize = 72;
inline constexpr std::size_t kFieldsStart = kHeaderSize + 4;
inline constexpr std::size_t kCountOffset = 16;  // record count, then next serial
inline constexpr std::size_t kMaxNameBytes = 16;
inline constexpr int kMaxTextWidth = 1024;
inline constexpr std::size_t kCompanionBlock = 512;
inline constexpr std::size_t kCompanionHeaderSize = 32;

enum FieldType : int {
  kByte = 1,
  kShort = 2,
  kInt = 3,
  kInt64 = 4,
  kFloat = 5,
  kDouble = 6,
  kBool = 7,
  kDateTime = 8,
  kRoutine = 9,
  kText = 10,
  kBytes = 11,
  kMemo = 12,
};

// A field as the caller declares it; `width` counts only for text fields.
struct FieldDef {
  std::string name;  // GBK
  int type = kText;
  int width = 0;
};

struct Field {
  std::string name;
  int type = 0;
  int offset = 0;     // inside a record
  int width = 0;      // bytes the slot takes
  int textWidth = 0;  // as declared in the descriptor (0 unless text)
};

struct Header {
  std::uint32_t version = kVersion;
  double created = 0;
  std::int32_t recordCount = 0;
  std::int32_t nextSerial = 1;
  std::int32_t recordSize = 0;
};

struct Layout {
  Header header;
  std::vector<Field> fields;
  std::uint64_t dataStart = 0;

  // The index of a field by exact name, or -1.
  int fieldIndex(std::string_view name) const;
  bool hasCompanionField() const;
};

// Slot width of a type (the text width for text), 0 for an unknown type.
int slotWidth(int type, int textWidth);

// Checks a field list for creation and turns it into fields with offsets: returns 0 or the
// error code (-16 to -20). A field with an empty name ends the list.
int planFields(const std::vector<FieldDef>& defs, std::vector<Field>& fields);

// The header, field count and descriptors of a new database.
std::string encodeLayout(const Header& header, const std::vector<Field>& fields);

// Reads the 112-byte header: 0, -22 or -23.
int decodeHeader(std::string_view bytes, Header& header);

// How many descriptors may follow a header in a file of this length, so a hostile count
// never makes the reader allocate more than the file holds.
bool fieldCountFits(std::int32_t count, std::uint64_t fileLength);

// Reads and checks the descriptors against the header: 0 or -22.
int decodeFields(std::string_view bytes, std::int32_t count, const Header& header,
                 std::vector<Field>& fields);

// The bytes a text takes in a slot of `width`: the whole text when it is shorter than the
// slot; otherwise its first `width` bytes, or one byte less when that would cut a double-byte
// GBK character in half. The slot holds a terminating zero whenever the result is shorter
// than the width.
std::size_t textSlotLength(std::string_view text, std::size_t width);

// The text a slot gives back: the bytes up to the first zero, or the whole slot.
std::string_view readTextSlot(std::string_view slot);

// Checks a field name: letters (ASCII or full-width) or GBK Chinese characters, then also
// digits (ASCII or full-width), at most 16 bytes.
bool isValidFieldName(std::string_view name);

// OLE Automation date of the local clock's current second.
double oleDateNow();

}  // namespace bank
