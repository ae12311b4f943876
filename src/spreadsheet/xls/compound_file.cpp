#include "spreadsheet/xls/compound_file.h"

#include <algorithm>

#include "spreadsheet/xls/little_endian.h"

namespace xls {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kEntrySize = 128;
constexpr std::size_t kMiniSectorSize = 64;
constexpr std::size_t kHeaderDifatEntries = 109;

char16_t foldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? c - u'a' + u'A' : c; }

bool sameNameIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return foldAscii(x) == foldAscii(y); });
}

void appendTableEntries(std::string_view sector, std::vector<std::uint32_t>& table) {
  for (std::size_t pos = 0; pos + 4 <= sector.size(); pos += 4) table.push_back(u32At(sector, pos));
}

}  // namespace

std::string_view CompoundFile::sector(std::uint32_t id) const {
  if (id >= sectorCount_) return {};
  std::uint64_t offset = (static_cast<std::uint64_t>(id) + 1) << sectorShift_;
  std::size_t size = std::size_t{1} << sectorShift_;
  return bytes_.substr(static_cast<std::size_t>(offset), size);
}

bool CompoundFile::open(std::string_view bytes, std::string& error) {
  bytes_ = bytes;
  if (bytes.size() < kHeaderSize ||
      bytes.substr(0, 8) != std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
    error = "not an OLE compound file";
    return false;
  }
  std::uint16_t major = u16At(bytes, 0x1A);
  sectorShift_ = u16At(bytes, 0x1E);
  if (!((major == 3 && sectorShift_ == 9) || (major == 4 && sectorShift_ == 12)) ||
      u16At(bytes, 0x1C) != 0xFFFE || u16At(bytes, 0x20) != 6) {
    error = "damaged compound file: unsupported header";
    return false;
  }
  version4_ = major == 4;
  std::uint64_t sectorSize = std::uint64_t{1} << sectorShift_;
  sectorCount_ =
      bytes.size() > sectorSize
          ? static_cast<std::uint32_t>((bytes.size() - sectorSize + sectorSize - 1) / sectorSize)
          : 0;
  miniCutoff_ = u32At(bytes, 0x38);
  return loadFat(error) && loadDirectory(u32At(bytes, 0x30), error) &&
         loadMiniFat(u32At(bytes, 0x3C), error);
}

bool CompoundFile::loadFat(std::string& error) {
  std::uint32_t fatSectors = u32At(bytes_, 0x2C);
  if (fatSectors > sectorCount_) {
    error = "damaged compound file: more allocation sectors than the file holds";
    return false;
  }
  // The first 109 allocation sector numbers sit in the header, the rest in a chain of DIFAT
  // sectors whose last entry links to the next one.
  std::vector<std::uint32_t> fatIds;
  for (std::size_t i = 0; i < kHeaderDifatEntries && fatIds.size() < fatSectors; ++i) {
    fatIds.push_back(u32At(bytes_, 0x4C + 4 * i));
  }
  std::uint32_t difat = u32At(bytes_, 0x44);
  std::uint32_t difatSeen = 0;
  while (fatIds.size() < fatSectors && difat != kEndOfChain && difat != kFreeSector) {
    std::string_view data = sector(difat);
    if (data.size() < (std::size_t{1} << sectorShift_) || ++difatSeen > sectorCount_) {
      error = "damaged compound file: broken DIFAT chain";
      return false;
    }
    std::size_t perSector = data.size() / 4 - 1;
    for (std::size_t i = 0; i < perSector && fatIds.size() < fatSectors; ++i) {
      fatIds.push_back(u32At(data, 4 * i));
    }
    difat = u32At(data, 4 * perSector);
  }
  fat_.clear();
  fat_.reserve(fatIds.size() << (sectorShift_ - 2));
  for (std::uint32_t id : fatIds) {
    if (id == kFreeSector || id == kEndOfChain) break;  // a count larger than the list
    std::string_view data = sector(id);
    if (data.empty()) {
      error = "damaged compound file: allocation sector outside the file";
      return false;
    }
    appendTableEntries(data, fat_);
  }
  if (fat_.empty()) {
    error = "damaged compound file: no allocation table";
    return false;
  }
  return true;
}

bool CompoundFile::followChain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                               std::vector<std::uint32_t>& chain, std::string& error) const {
  chain.clear();
  for (std::uint32_t id = start; id != kEndOfChain; id = table[id]) {
    // A chain longer than the table must revisit a sector.
    if (id >= table.size() || chain.size() >= table.size()) {
      error = "damaged compound file: broken sector chain";
      return false;
    }
    chain.push_back(id);
  }
  return true;
}

bool CompoundFile::readChain(std::uint32_t start, std::uint64_t size, std::string& out,
                             std::string& error) const {
  out.clear();
  std::vector<std::uint32_t> chain;
  if (!followChain(start, fat_, chain, error)) return false;
  for (std::uint32_t id : chain) {
    if (out.size() >= size) break;
    std::string_view data = sector(id);
    if (data.empty()) {
      error = "damaged compound file: sector outside the file";
      return false;
    }
    out.append(data.substr(
        0, static_cast<std::size_t>(std::min<std::uint64_t>(data.size(), size - out.size()))));
  }
  return true;
}

bool CompoundFile::loadDirectory(std::uint32_t firstSector, std::string& error) {
  std::string data;
  if (!readChain(firstSector, bytes_.size(), data, error)) return false;
  entries_.clear();
  for (std::size_t pos = 0; pos + kEntrySize <= data.size(); pos += kEntrySize) {
    std::string_view raw(data.data() + pos, kEntrySize);
    Entry entry;
    std::size_t nameBytes = std::min<std::size_t>(u16At(raw, 0x40), 64);
    for (std::size_t i = 0; i + 1 < nameBytes; i += 2) {
      char16_t c = u16At(raw, i);
      if (c == 0) break;
      entry.name.push_back(c);
    }
    entry.type = byteAt(raw, 0x42);
    entry.left = u32At(raw, 0x44);
    entry.right = u32At(raw, 0x48);
    entry.child = u32At(raw, 0x4C);
    entry.start = u32At(raw, 0x74);
    entry.size = u32At(raw, 0x78);
    // Version 3 files may leave garbage in the high half of the size.
    if (version4_) entry.size |= static_cast<std::uint64_t>(u32At(raw, 0x7C)) << 32;
    entries_.push_back(std::move(entry));
  }
  if (entries_.empty() || entries_[0].type != 5) {
    error = "damaged compound file: no root entry";
    return false;
  }
  return true;
}

bool CompoundFile::loadMiniFat(std::uint32_t firstSector, std::string& error) {
  miniFat_.clear();
  if (firstSector == kEndOfChain || firstSector == kFreeSector) return true;
  std::string data;
  if (!readChain(firstSector, bytes_.size(), data, error)) return false;
  appendTableEntries(data, miniFat_);
  return true;
}

int CompoundFile::findStream(std::u16string_view name) const {
  // Walk the sibling tree of the root's children; `visited` stops cycles.
  std::vector<bool> visited(entries_.size());
  std::vector<std::uint32_t> pending{entries_[0].child};
  while (!pending.empty()) {
    std::uint32_t id = pending.back();
    pending.pop_back();
    if (id == kNoEntry || id >= entries_.size() || visited[id]) continue;
    visited[id] = true;
    const Entry& entry = entries_[id];
    if (entry.type == 2 && sameNameIgnoringCase(entry.name, name)) return static_cast<int>(id);
    pending.push_back(entry.left);
    pending.push_back(entry.right);
  }
  return -1;
}

bool CompoundFile::readStream(int index, std::string& out, std::string& error) const {
  const Entry& entry = entries_.at(static_cast<std::size_t>(index));
  std::uint64_t size = std::min<std::uint64_t>(entry.size, bytes_.size());
  if (entry.size >= miniCutoff_) return readChain(entry.start, size, out, error);

  // Small streams live in 64-byte sectors inside the root entry's stream.
  const Entry& root = entries_[0];
  std::string miniStream;
  if (!readChain(root.start, std::min<std::uint64_t>(root.size, bytes_.size()), miniStream,
                 error)) {
    return false;
  }
  std::vector<std::uint32_t> chain;
  if (!followChain(entry.start, miniFat_, chain, error)) return false;
  out.clear();
  for (std::uint32_t id : chain) {
    if (out.size() >= size) break;
    std::uint64_t offset = static_cast<std::uint64_t>(id) * kMiniSectorSize;
    if (offset >= miniStream.size()) {
      error = "damaged compound file: mini sector outside the mini stream";
      return false;
    }
    std::size_t take = static_cast<std::size_t>(
        std::min<std::uint64_t>({kMiniSectorSize, size - out.size(), miniStream.size() - offset}));
    out.append(miniStream, static_cast<std::size_t>(offset), take);
  }
  return true;
}

}  // namespace xls
