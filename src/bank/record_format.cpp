#include "bank/record_format.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <mutex>

#include "platform/date_time.h"
#include "platform/gbk_text.h"
#include "platform/little_endian.h"

namespace bank {
namespace {

constexpr int kFixedWidths[] = {0, 1, 2, 4, 8, 4, 8, 1, 8, 4, 0, 4, 4};

bool isAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool isWideLetter(unsigned char lead, unsigned char trail) {
  return lead == 0xA3 && ((trail >= 0xC1 && trail <= 0xDA) || (trail >= 0xE1 && trail <= 0xFA));
}
bool isWideDigit(unsigned char lead, unsigned char trail) {
  return lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9;
}

// GBK Chinese characters: GB2312 level 1 and 2 (B0-F7 / A1-FE) and the GBK extensions
// GBK/3 (81-A0 / 40-FE) and GBK/4 (AA-FE / 40-A0), 7F never being a trail byte.
bool isHanzi(unsigned char lead, unsigned char trail) {
  if (trail == 0x7F || trail < 0x40 || trail == 0xFF) return false;
  if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1) return true;
  if (lead >= 0x81 && lead <= 0xA0) return true;
  return lead >= 0xAA && lead <= 0xFE && trail <= 0xA0;
}

}  // namespace

int Layout::fieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i].name == name) return static_cast<int>(i);
  return -1;
}

bool Layout::hasCompanionField() const {
  for (const auto& f : fields)
    if (f.type == kBytes || f.type == kMemo) return true;
  return false;
}

int slotWidth(int type, int textWidth) {
  if (type == kText) return textWidth;
  if (type < kByte || type > kMemo) return 0;
  return kFixedWidths[type];
}

bool isValidFieldName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameBytes) return false;
  for (std::size_t i = 0; i < name.size();) {
    auto c = static_cast<unsigned char>(name[i]);
    bool first = i == 0;
    if (c < 0x80) {
      if (!isAsciiLetter(c) && (first || !isAsciiDigit(c))) return false;
      ++i;
      continue;
    }
    if (i + 1 >= name.size()) return false;
    auto t = static_cast<unsigned char>(name[i + 1]);
    bool ok = isWideLetter(c, t) || isHanzi(c, t) || (!first && isWideDigit(c, t));
    if (!ok) return false;
    i += 2;
  }
  return true;
}

int planFields(const std::vector<FieldDef>& defs, std::vector<Field>& fields) {
  fields.clear();
  int offset = 4;
  for (const auto& def : defs) {
    if (def.name.empty()) break;
    if (!isValidFieldName(def.name)) return -18;
    if (def.type < kByte || def.type > kMemo) return -17;
    if (def.type == kText && (def.width < 1 || def.width > kMaxTextWidth)) return -19;
    std::string folded = gbk::toLowerAscii(def.name);
    for (const auto& earlier : fields)
      if (gbk::toLowerAscii(earlier.name) == folded) return -20;
    Field f;
    f.name = def.name;
    f.type = def.type;
    f.offset = offset;
    f.textWidth = def.type == kText ? def.width : 0;
    f.width = slotWidth(def.type, f.textWidth);
    offset += f.width;
    fields.push_back(f);
  }
  return fields.empty() ? -16 : 0;
}

std::string encodeLayout(const Header& header, const std::vector<Field>& fields) {
  std::string out(kFieldsStart + kDescriptorSize * fields.size(), '\0');
  char* p = out.data();
  le::putI32(p, static_cast<std::int32_t>(kMagic));
  le::putI32(p + 4, static_cast<std::int32_t>(header.version));
  le::putF64(p + 8, header.created);
  le::putI32(p + 16, header.recordCount);
  le::putI32(p + 20, header.nextSerial);
  le::putI32(p + 24, header.recordSize);
  le::putI32(p + kHeaderSize, static_cast<std::int32_t>(fields.size()));
  for (std::size_t i = 0; i < fields.size(); ++i) {
    char* d = p + kFieldsStart + i * kDescriptorSize;
    std::memcpy(d, fields[i].name.data(), std::min(fields[i].name.size(), kMaxNameBytes));
    le::putI32(d + 20, fields[i].type);
    le::putI32(d + 24, fields[i].offset);
    le::putI32(d + 28, fields[i].textWidth);
  }
  return out;
}

int decodeHeader(std::string_view bytes, Header& header) {
  if (bytes.size() < kHeaderSize) return -22;
  const char* p = bytes.data();
  if (static_cast<std::uint32_t>(le::i32(p)) != kMagic) return -22;
  header.version = static_cast<std::uint32_t>(le::i32(p + 4));
  header.created = le::f64(p + 8);
  header.recordCount = le::i32(p + 16);
  header.nextSerial = le::i32(p + 20);
  header.recordSize = le::i32(p + 24);
  if (header.recordSize <= 0 || header.recordCount < 0 || header.nextSerial <= 0) return -22;
  if (header.version > kVersion) return -23;
  return 0;
}

bool fieldCountFits(std::int32_t count, std::uint64_t fileLength) {
  if (count <= 0) return false;
  return kFieldsStart + kDescriptorSize * static_cast<std::uint64_t>(count) <= fileLength;
}

int decodeFields(std::string_view bytes, std::int32_t count, const Header& header,
                 std::vector<Field>& fields) {
  fields.clear();
  if (count <= 0 || bytes.size() < kDescriptorSize * static_cast<std::size_t>(count)) return -22;
  std::int64_t total = 4;
  for (std::int32_t i = 0; i < count; ++i) {
    const char* d = bytes.data() + kDescriptorSize * static_cast<std::size_t>(i);
    const void* end = std::memchr(d, 0, kMaxNameBytes + 1);
    if (!end) return -22;
    Field f;
    f.name.assign(d, static_cast<const char*>(end));
    f.type = le::i32(d + 20);
    f.offset = le::i32(d + 24);
    f.textWidth = le::i32(d + 28);
    if (f.type < kByte || f.type > kMemo || f.offset < 0) return -22;
    if (f.type == kText && (f.textWidth < 1 || f.textWidth > kMaxTextWidth)) return -22;
    f.width = slotWidth(f.type, f.type == kText ? f.textWidth : 0);
    // Every slot inside the record and after the serial, so no read leaves the record.
    if (f.offset < 4 || std::int64_t{f.offset} + f.width > header.recordSize) return -22;
    total += f.width;
    fields.push_back(std::move(f));
  }
  if (total != header.recordSize) return -22;
  // Slots that share bytes would make one field's write change another's value.
  std::vector<const Field*> byOffset;
  for (const auto& f : fields) byOffset.push_back(&f);
  std::sort(byOffset.begin(), byOffset.end(),
            [](const Field* a, const Field* b) { return a->offset < b->offset; });
  for (std::size_t i = 1; i < byOffset.size(); ++i)
    if (byOffset[i - 1]->offset + byOffset[i - 1]->width > byOffset[i]->offset) return -22;
  return 0;
}

std::size_t textSlotLength(std::string_view text, std::size_t width) {
  if (text.size() < width) return text.size();
  std::size_t fit = gbk::fitLength(text, width);
  return fit < width ? width - 1 : width;
}

std::string_view readTextSlot(std::string_view slot) {
  auto zero = slot.find('\0');
  return zero == std::string_view::npos ? slot : slot.substr(0, zero);
}

double oleDateNow() {
  static std::mutex clockLock;  // std::localtime shares one buffer
  std::tm t;
  {
    std::lock_guard<std::mutex> hold(clockLock);
    std::time_t now = std::time(nullptr);
    t = *std::localtime(&now);
  }
  const std::int64_t days =
      platform::daysFromCivil(t.tm_year + 1900, unsigned(t.tm_mon + 1), unsigned(t.tm_mday)) -
      platform::kVariantEpochDays;
  return static_cast<double>(days) + (t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec) / 86400.0;
}

}  // namespace bank
