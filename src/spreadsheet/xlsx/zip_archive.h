// Reading parts of a ZIP package (the container of .xlsx workbooks) held in memory.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace xlsx {

struct ZipEntry {
  std::string name;  // as stored, with '/' (or '\' from some writers)
  std::uint16_t method = 0;
  std::uint16_t flags = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  std::uint64_t localHeaderOffset = 0;
};

class ZipArchive {
 public:
  // Reads the central directory. False with a reason when the bytes are not a usable ZIP.
  bool open(std::string_view bytes, std::string& error);

  const std::vector<ZipEntry>& entries() const { return entries_; }

  // The entry whose name equals `name` ignoring ASCII case and treating '\' as '/';
  // nullptr when none.
  const ZipEntry* find(std::string_view name) const;

  // Inflates an entry piece by piece into `sink`; the sink returns false to stop early
  // (which is not an error). Fails when the data is damaged or would exceed `maxBytes`.
  using Sink = std::function<bool(std::string_view)>;
  bool read(const ZipEntry& entry, std::uint64_t maxBytes, const Sink& sink,
            std::string& error) const;

  // The whole entry as one string, for the small parts.
  bool readAll(const ZipEntry& entry, std::uint64_t maxBytes, std::string& out,
               std::string& error) const;

 private:
  bool readCentralDirectory(std::uint64_t offset, std::uint64_t size, std::uint64_t count,
                            std::string& error);

  std::string_view bytes_;
  std::vector<ZipEntry> entries_;
};

// Normalises a part name for comparison: '\' to '/', no leading '/', ASCII lower case.
std::string normalizePartName(std::string_view name);

}  // namespace xlsx
