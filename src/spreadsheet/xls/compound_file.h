// The OLE compound file container of .xls workbooks: sector tables, directory and streams.
// Every chain is checked for cycles and bounds, and every size is capped by the file's size.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

class CompoundFile {
 public:
  // Reads the header, the sector tables and the directory. False with a reason when damaged.
  bool open(std::string_view bytes, std::string& error);

  // Index of the stream called `name` (ASCII letters compared without case) directly below the
  // root storage, or -1.
  int findStream(std::u16string_view name) const;

  // The contents of the stream at `index`, as far as its sector chain reaches.
  bool readStream(int index, std::string& out, std::string& error) const;

 private:
  struct Entry {
    std::u16string name;
    std::uint8_t type = 0;  // 1 storage, 2 stream, 5 root
    std::uint32_t left = 0, right = 0, child = 0, start = 0;
    std::uint64_t size = 0;
  };

  std::string_view sector(std::uint32_t id) const;
  bool followChain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                   std::vector<std::uint32_t>& chain, std::string& error) const;
  bool readChain(std::uint32_t start, std::uint64_t size, std::string& out,
                 std::string& error) const;
  bool loadFat(std::string& error);
  bool loadDirectory(std::uint32_t firstSector, std::string& error);
  bool loadMiniFat(std::uint32_t firstSector, std::string& error);

  std::string_view bytes_;
  std::uint32_t sectorShift_ = 9;
  std::uint32_t sectorCount_ = 0;  // sectors that start inside the file
  std::uint32_t miniCutoff_ = 4096;
  bool version4_ = false;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> miniFat_;
  std::vector<Entry> entries_;
};

}  // namespace xls
