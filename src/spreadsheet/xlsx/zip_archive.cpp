#include "spreadsheet/xlsx/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

#include "platform/little_endian.h"

namespace xlsx {
namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kZip64EndOfDirectory = 0x06064b50;
constexpr std::uint32_t kZip64Locator = 0x07064b50;
constexpr std::size_t kMaxEntries = 65536;  // far above any real workbook package

std::uint64_t le(std::string_view bytes, std::size_t at, int width) {
  const char* p = bytes.data() + at;
  return width == 2 ? ::le::u16(p) : width == 4 ? ::le::u32(p) : ::le::u64(p);
}

// Fills the 64-bit sizes and offset that the ZIP64 extra field carries in place of 0xFFFFFFFF.
void applyZip64Extra(std::string_view extra, ZipEntry& entry) {
  std::size_t at = 0;
  while (at + 4 <= extra.size()) {
    auto id = le(extra, at, 2);
    auto size = static_cast<std::size_t>(le(extra, at + 2, 2));
    at += 4;
    if (size > extra.size() - at) return;
    if (id == 0x0001) {
      std::size_t field = at;
      auto take = [&](std::uint64_t& value) {
        if (value != 0xFFFFFFFFu) return;
        if (field + 8 > at + size) return;
        value = le(extra, field, 8);
        field += 8;
      };
      take(entry.uncompressedSize);
      take(entry.compressedSize);
      take(entry.localHeaderOffset);
      return;
    }
    at += size;
  }
}

}  // namespace

std::string normalizePartName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    out += c;
  }
  std::size_t start = out.find_first_not_of('/');
  return start == std::string::npos ? std::string() : out.substr(start);
}

bool ZipArchive::open(std::string_view bytes, std::string& error) {
  bytes_ = bytes;
  entries_.clear();
  byName_.clear();
  unpackBudget_ = unpackLimit_;
  if (bytes.size() < 22) {
    error = "damaged ZIP package (too short)";
    return false;
  }
  // The end record sits in the last 22 bytes plus a comment of at most 65535 bytes.
  std::size_t lowest = bytes.size() > 22 + 65535 ? bytes.size() - 22 - 65535 : 0;
  std::size_t end = std::string_view::npos;
  for (std::size_t at = bytes.size() - 22 + 1; at-- > lowest;) {
    if (le(bytes, at, 4) == kEndOfDirectory) {
      end = at;
      break;
    }
  }
  if (end == std::string_view::npos) {
    error = "damaged ZIP package (no end of central directory: the file may be cut short)";
    return false;
  }
  std::uint64_t count = le(bytes, end + 10, 2);
  std::uint64_t size = le(bytes, end + 12, 4);
  std::uint64_t offset = le(bytes, end + 16, 4);
  if ((count == 0xFFFF || size == 0xFFFFFFFFu || offset == 0xFFFFFFFFu) && end >= 20 &&
      le(bytes, end - 20, 4) == kZip64Locator) {
    std::uint64_t record = le(bytes, end - 20 + 8, 8);
    if (record > bytes.size() || bytes.size() - record < 56 ||
        le(bytes, static_cast<std::size_t>(record), 4) != kZip64EndOfDirectory) {
      error = "damaged ZIP64 end of central directory";
      return false;
    }
    auto at = static_cast<std::size_t>(record);
    count = le(bytes, at + 32, 8);
    size = le(bytes, at + 40, 8);
    offset = le(bytes, at + 48, 8);
  }
  return readCentralDirectory(offset, size, count, error);
}

bool ZipArchive::readCentralDirectory(std::uint64_t offset, std::uint64_t size, std::uint64_t count,
                                      std::string& error) {
  if (offset > bytes_.size() || size > bytes_.size() - offset) {
    error = "damaged ZIP package (central directory out of bounds)";
    return false;
  }
  if (count > kMaxEntries) {
    error = "ZIP package with too many entries";
    return false;
  }
  auto at = static_cast<std::size_t>(offset);
  const std::size_t stop = static_cast<std::size_t>(offset + size);
  for (std::uint64_t i = 0; i < count; ++i) {
    if (stop - at < 46 || le(bytes_, at, 4) != kCentralHeader) {
      error = "damaged ZIP package (bad central directory entry)";
      return false;
    }
    ZipEntry entry;
    entry.flags = static_cast<std::uint16_t>(le(bytes_, at + 8, 2));
    entry.method = static_cast<std::uint16_t>(le(bytes_, at + 10, 2));
    entry.compressedSize = le(bytes_, at + 20, 4);
    entry.uncompressedSize = le(bytes_, at + 24, 4);
    auto nameLength = static_cast<std::size_t>(le(bytes_, at + 28, 2));
    auto extraLength = static_cast<std::size_t>(le(bytes_, at + 30, 2));
    auto commentLength = static_cast<std::size_t>(le(bytes_, at + 32, 2));
    entry.localHeaderOffset = le(bytes_, at + 42, 4);
    if (stop - at - 46 < nameLength + extraLength + commentLength) {
      error = "damaged ZIP package (central directory entry overruns)";
      return false;
    }
    entry.name.assign(bytes_.substr(at + 46, nameLength));
    applyZip64Extra(bytes_.substr(at + 46 + nameLength, extraLength), entry);
    entries_.push_back(std::move(entry));
    at += 46 + nameLength + extraLength + commentLength;
  }
  if (entries_.empty()) {
    error = "empty ZIP package";
    return false;
  }
  // Looked up by name once per part: an index keeps a package of many entries and many sheets
  // from costing entries times sheets.
  byName_.reserve(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i)
    byName_.emplace(normalizePartName(entries_[i].name), i);
  return true;
}

const ZipEntry* ZipArchive::find(std::string_view name) const {
  auto found = byName_.find(normalizePartName(name));
  return found == byName_.end() ? nullptr : &entries_[found->second];
}

bool ZipArchive::read(const ZipEntry& entry, std::uint64_t maxBytes, const Sink& sink,
                      std::string& error) const {
  if (entry.flags & 1) {
    error = "encrypted ZIP entry " + entry.name;
    return false;
  }
  const std::uint64_t header = entry.localHeaderOffset;
  if (header > bytes_.size() || bytes_.size() - header < 30 ||
      le(bytes_, static_cast<std::size_t>(header), 4) != kLocalHeader) {
    error = "damaged ZIP package (bad local header for " + entry.name + ")";
    return false;
  }
  auto at = static_cast<std::size_t>(header);
  std::uint64_t dataStart = header + 30 + le(bytes_, at + 26, 2) + le(bytes_, at + 28, 2);
  if (dataStart > bytes_.size() || entry.compressedSize > bytes_.size() - dataStart) {
    error = "damaged ZIP package (data of " + entry.name + " out of bounds)";
    return false;
  }
  std::string_view data = bytes_.substr(static_cast<std::size_t>(dataStart),
                                        static_cast<std::size_t>(entry.compressedSize));
  const std::uint64_t limit = std::min(maxBytes, unpackBudget_);
  auto tooLarge = [&] {
    error = "part " + entry.name + " is too large (" +
            (limit == maxBytes ? "more than " + std::to_string(maxBytes >> 20) + " MB unpacked"
                               : "the package would unpack to more than " +
                                     std::to_string(unpackLimit_ >> 20) + " MB") +
            ")";
    return false;
  };
  if (entry.method == 0) {
    if (data.size() > limit) return tooLarge();
    unpackBudget_ -= data.size();
    if (!data.empty()) sink(data);
    return true;
  }
  // Refused before any work when the directory already says so.
  if (entry.uncompressedSize > limit) return tooLarge();
  if (entry.method != 8) {
    error = "unsupported ZIP compression method for " + entry.name;
    return false;
  }

  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
    error = "cannot start inflating";
    return false;
  }
  struct Closer {
    z_stream* s;
    ~Closer() { inflateEnd(s); }
  } closer{&stream};

  constexpr std::size_t kChunk = 256 * 1024;
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kChunk]);
  std::uint64_t produced = 0;
  std::size_t offered = 0;
  for (;;) {
    if (stream.avail_in == 0 && offered < data.size()) {
      std::size_t piece = std::min<std::size_t>(data.size() - offered, 1u << 30);
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + offered));
      stream.avail_in = static_cast<uInt>(piece);
      offered += piece;
    }
    stream.next_out = buffer.get();
    stream.avail_out = static_cast<uInt>(kChunk);
    int status = inflate(&stream, Z_NO_FLUSH);
    std::size_t got = kChunk - stream.avail_out;
    if (status != Z_OK && status != Z_STREAM_END && !(status == Z_BUF_ERROR && got > 0)) {
      error = "damaged compressed data in " + entry.name;
      return false;
    }
    produced += got;
    if (produced > limit) return tooLarge();
    if (produced > entry.uncompressedSize) {
      error = "damaged ZIP package (" + entry.name + " unpacks to more than the " +
              std::to_string(entry.uncompressedSize) + " bytes its directory entry declares)";
      return false;
    }
    unpackBudget_ -= got;
    if (got > 0 && !sink(std::string_view(reinterpret_cast<const char*>(buffer.get()), got)))
      return true;
    if (status == Z_STREAM_END) return true;
    if (got == 0 && stream.avail_in == 0 && offered >= data.size()) {
      error = "truncated compressed data in " + entry.name;
      return false;
    }
  }
}

bool ZipArchive::readAll(const ZipEntry& entry, std::uint64_t maxBytes, std::string& out,
                         std::string& error) const {
  out.clear();
  return read(
      entry, maxBytes,
      [&out](std::string_view piece) {
        out.append(piece);
        return true;
      },
      error);
}

}  // namespace xlsx
