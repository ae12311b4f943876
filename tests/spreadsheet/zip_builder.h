// Builds small ZIP packages in memory for reader tests: stored or deflated entries.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class ZipBuilder {
 public:
  ZipBuilder& add(std::string name, std::string content, bool deflate = true) {
    entries_.push_back({std::move(name), std::move(content), deflate});
    return *this;
  }

  std::string build() const {
    std::string out, directory;
    for (const auto& entry : entries_) {
      std::string data = entry.deflate ? rawDeflate(entry.content) : entry.content;
      auto crc = crc32(0, reinterpret_cast<const Bytef*>(entry.content.data()),
                       static_cast<uInt>(entry.content.size()));
      auto offset = static_cast<std::uint32_t>(out.size());
      std::uint16_t method = entry.deflate ? 8 : 0;
      put32(out, 0x04034b50), put16(out, 20), put16(out, 0), put16(out, method);
      put32(out, 0), put32(out, static_cast<std::uint32_t>(crc));
      put32(out, static_cast<std::uint32_t>(data.size()));
      put32(out, static_cast<std::uint32_t>(entry.content.size()));
      put16(out, static_cast<std::uint16_t>(entry.name.size())), put16(out, 0);
      out += entry.name;
      out += data;
      put32(directory, 0x02014b50), put16(directory, 20), put16(directory, 20);
      put16(directory, 0), put16(directory, method), put32(directory, 0);
      put32(directory, static_cast<std::uint32_t>(crc));
      put32(directory, static_cast<std::uint32_t>(data.size()));
      put32(directory, static_cast<std::uint32_t>(entry.content.size()));
      put16(directory, static_cast<std::uint16_t>(entry.name.size()));
      put16(directory, 0), put16(directory, 0), put16(directory, 0), put16(directory, 0);
      put32(directory, 0), put32(directory, offset);
      directory += entry.name;
    }
    auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    put32(out, 0x06054b50), put16(out, 0), put16(out, 0);
    put16(out, static_cast<std::uint16_t>(entries_.size()));
    put16(out, static_cast<std::uint16_t>(entries_.size()));
    put32(out, static_cast<std::uint32_t>(directory.size())), put32(out, directoryOffset);
    put16(out, 0);
    return out;
  }

  static std::string rawDeflate(const std::string& content) {
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
  }

 private:
  struct Entry {
    std::string name, content;
    bool deflate;
  };
  static void put16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF), out += static_cast<char>(v >> 8);
  }
  static void put32(std::string& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF)),
        put16(out, static_cast<std::uint16_t>(v >> 16));
  }
  std::vector<Entry> entries_;
};
