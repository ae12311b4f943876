// Writing a ZIP package (the container of .xlsx workbooks) into memory: each part deflated
// through zlib with its CRC-32, local headers that already know the sizes (no data
// descriptors), then the central directory. No ZIP64: a package past 4 GB is refused.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xlsx {

// A part deflated and ready to go into a package; packing touches no writer, so parts can be
// packed on several threads at once.
struct PackedPart {
  bool ok = false;
  std::string name;
  std::uint32_t crc = 0;
  std::uint32_t size = 0;
  std::uint16_t method = 0;  // 0 stored, 8 deflated
  std::string body;
};
PackedPart packPart(std::string_view name, std::string_view data);

class ZipWriter {
 public:
  // Appends a part; `name` uses '/' and has no leading '/'. False when the package would
  // outgrow what a ZIP without ZIP64 can address, or zlib fails.
  bool add(std::string_view name, std::string_view data);
  bool add(const PackedPart& part);
  // Writes the central directory and hands over the package; the writer is empty afterwards.
  bool finish(std::string& out);

 private:
  struct Entry {
    std::string name;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
    std::uint16_t method = 0;
  };
  std::string bytes_;
  std::vector<Entry> entries_;
};

}  // namespace xlsx
