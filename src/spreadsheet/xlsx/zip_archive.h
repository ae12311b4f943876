// Reading parts of a ZIP package (the container of .xlsx workbooks) held in memory.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
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

// All parts of one package together may unpack to at most this much: a part that repeats one
// byte a million times (or many directory entries that share one compressed stream) is a ZIP
// bomb, and a workbook of a million questions unpacks to far less.
inline constexpr std::uint64_t kMaxUnpackedPackage = std::uint64_t{1} << 30;

class ZipArchive {
 public:
  explicit ZipArchive(std::uint64_t unpackLimit = kMaxUnpackedPackage)
      : unpackLimit_(unpackLimit), unpackBudget_(unpackLimit) {}

  // Reads the central directory. False with a reason when the bytes are not a usable ZIP.
  bool open(std::string_view bytes, std::string& error);

  const std::vector<ZipEntry>& entries() const { return entries_; }

  // The entry whose name equals `name` ignoring ASCII case and treating '\' as '/';
  // nullptr when none.
  const ZipEntry* find(std::string_view name) const;

  // Inflates an entry piece by piece into `sink`; the sink returns false to stop early
  // (which is not an error). Fails when the data is damaged, when the entry says or turns out
  // to unpack to more than `maxBytes` or than the package's budget, or when it unpacks to more
  // than its directory entry declares.
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
  std::unordered_map<std::string, std::size_t> byName_;  // normalised name -> first entry
  std::uint64_t unpackLimit_;
  mutable std::uint64_t unpackBudget_;  // what the parts read so far have left of the limit
};

// Normalises a part name for comparison: '\' to '/', no leading '/', ASCII lower case.
std::string normalizePartName(std::string_view name);

}  // namespace xlsx
