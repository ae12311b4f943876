#include "spreadsheet/xlsx/zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <system_error>
#include <thread>
#include <vector>

namespace xlsx {
namespace {

constexpr std::uint64_t kZipLimit = std::numeric_limits<std::uint32_t>::max();
// 1980-01-01 00:00: parts carry no meaningful time, and a fixed one keeps exports repeatable.
constexpr std::uint16_t kDosTime = 0, kDosDate = (0 << 9) | (1 << 5) | 1;

void put16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void put32(std::string& out, std::uint32_t value) {
  put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
  put16(out, static_cast<std::uint16_t>(value >> 16));
}

// One piece of a part as raw deflate (no zlib header), as ZIP method 8 wants it, with the
// CRC-32 of its bytes. Every piece but the last ends with a sync flush, on a byte boundary, so
// the pieces joined in order are one deflate stream.
struct Piece {
  std::string_view data;
  bool last = false;
  std::string body;
  std::uint32_t crc = 0;
  bool ok = false;
};

void deflatePiece(Piece& piece) {
  piece.crc = static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0),
                                               reinterpret_cast<const Bytef*>(piece.data.data()),
                                               static_cast<uInt>(piece.data.size())));
  z_stream stream{};
  // The fastest level: it packs question text nearly as well as the default, in a third of
  // the time, and an export spends most of its time here.
  if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data.data()));
  stream.avail_in = static_cast<uInt>(piece.data.size());
  // Grown as output comes rather than sized to the worst case up front, which would have every
  // page of a part's size zeroed for nothing.
  piece.body.reserve(piece.data.size() / 2);
  std::vector<Bytef> buffer(1 << 16);
  const int flush = piece.last ? Z_FINISH : Z_SYNC_FLUSH;
  for (;;) {
    stream.next_out = buffer.data();
    stream.avail_out = static_cast<uInt>(buffer.size());
    const int status = deflate(&stream, flush);
    piece.body.append(reinterpret_cast<const char*>(buffer.data()),
                      buffer.size() - stream.avail_out);
    if (status == Z_STREAM_END) {
      piece.ok = true;
      break;
    }
    if (status != Z_OK) break;
    if (!piece.last && stream.avail_in == 0 && stream.avail_out != 0) {
      piece.ok = true;
      break;
    }
  }
  deflateEnd(&stream);
}

// Large parts are cut into pieces deflated on as many threads as the machine has: a piece
// starts without the previous one's history, which costs a few hundred bytes per piece.
constexpr std::size_t kMinPiece = 4u << 20;

std::vector<Piece> cutIntoPieces(std::string_view data) {
  const std::size_t threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  const std::size_t count = std::max<std::size_t>(1, std::min(threads, data.size() / kMinPiece));
  std::vector<Piece> pieces(count);
  const std::size_t step = data.size() / count;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t from = i * step;
    pieces[i].data = data.substr(from, i + 1 == count ? std::string_view::npos : step);
    pieces[i].last = i + 1 == count;
  }
  return pieces;
}

bool deflateRaw(std::string_view data, std::string& out, std::uint32_t& crc) {
  std::vector<Piece> pieces = cutIntoPieces(data);
  std::vector<std::thread> helpers;
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    try {
      helpers.emplace_back([&piece = pieces[i]] { deflatePiece(piece); });
    } catch (const std::system_error&) {
      deflatePiece(pieces[i]);  // no thread to spare: this one does it
    }
  }
  deflatePiece(pieces[0]);
  for (auto& helper : helpers) helper.join();

  std::size_t total = 0;
  for (const Piece& piece : pieces) {
    if (!piece.ok) return false;
    total += piece.body.size();
  }
  out.clear();
  out.reserve(total);
  crc = pieces[0].crc;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    out += pieces[i].body;
    if (i > 0)
      crc = static_cast<std::uint32_t>(
          crc32_combine(crc, pieces[i].crc, static_cast<z_off_t>(pieces[i].data.size())));
  }
  return true;
}

}  // namespace

PackedPart packPart(std::string_view name, std::string_view data) {
  PackedPart part;
  if (data.size() >= kZipLimit || name.size() > 0xFFFF) return part;
  part.name = std::string(name);
  part.size = static_cast<std::uint32_t>(data.size());
  if (!deflateRaw(data, part.body, part.crc)) return part;
  // Tiny parts may grow when deflated: those are stored as they are.
  if (part.body.size() >= data.size()) {
    part.body = std::string(data);
    part.method = 0;
  } else {
    part.method = 8;
  }
  part.ok = true;
  return part;
}

bool ZipWriter::add(std::string_view name, std::string_view data) {
  return add(packPart(name, data));
}

bool ZipWriter::add(const PackedPart& part) {
  if (!part.ok || bytes_.size() + 30 + part.name.size() + part.body.size() >= kZipLimit)
    return false;
  Entry entry;
  entry.name = part.name;
  entry.size = part.size;
  entry.crc = part.crc;
  entry.method = part.method;
  entry.compressedSize = static_cast<std::uint32_t>(part.body.size());
  entry.offset = static_cast<std::uint32_t>(bytes_.size());

  put32(bytes_, 0x04034b50);
  put16(bytes_, 20);       // version needed: deflate
  put16(bytes_, 1 << 11);  // names are UTF-8
  put16(bytes_, entry.method);
  put16(bytes_, kDosTime);
  put16(bytes_, kDosDate);
  put32(bytes_, entry.crc);
  put32(bytes_, entry.compressedSize);
  put32(bytes_, entry.size);
  put16(bytes_, static_cast<std::uint16_t>(entry.name.size()));
  put16(bytes_, 0);
  bytes_ += entry.name;
  bytes_ += part.body;
  entries_.push_back(std::move(entry));
  return true;
}

bool ZipWriter::finish(std::string& out) {
  if (entries_.size() > 0xFFFF) return false;
  const std::uint64_t directoryStart = bytes_.size();
  for (const auto& entry : entries_) {
    put32(bytes_, 0x02014b50);
    put16(bytes_, 20);  // made by: MS-DOS attributes, version 2.0
    put16(bytes_, 20);
    put16(bytes_, 1 << 11);
    put16(bytes_, entry.method);
    put16(bytes_, kDosTime);
    put16(bytes_, kDosDate);
    put32(bytes_, entry.crc);
    put32(bytes_, entry.compressedSize);
    put32(bytes_, entry.size);
    put16(bytes_, static_cast<std::uint16_t>(entry.name.size()));
    put16(bytes_, 0);  // extra
    put16(bytes_, 0);  // comment
    put16(bytes_, 0);  // disk
    put16(bytes_, 0);  // internal attributes
    put32(bytes_, 0);  // external attributes
    put32(bytes_, entry.offset);
    bytes_ += entry.name;
  }
  const std::uint64_t directorySize = bytes_.size() - directoryStart;
  if (bytes_.size() + 22 >= kZipLimit) return false;
  put32(bytes_, 0x06054b50);
  put16(bytes_, 0);
  put16(bytes_, 0);
  put16(bytes_, static_cast<std::uint16_t>(entries_.size()));
  put16(bytes_, static_cast<std::uint16_t>(entries_.size()));
  put32(bytes_, static_cast<std::uint32_t>(directorySize));
  put32(bytes_, static_cast<std::uint32_t>(directoryStart));
  put16(bytes_, 0);
  out = std::move(bytes_);
  bytes_.clear();
  entries_.clear();
  return true;
}

}  // namespace xlsx
