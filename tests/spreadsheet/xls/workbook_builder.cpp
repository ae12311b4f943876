#include "workbook_builder.h"

#include <cstring>

namespace xls_test {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::size_t kSector = 512;
constexpr std::size_t kMiniSector = 64;
constexpr std::size_t kMiniCutoff = 4096;

std::size_t sectorsFor(std::size_t bytes, std::size_t size) { return (bytes + size - 1) / size; }

void padTo(std::string& data, std::size_t size) {
  data.resize(sectorsFor(data.size(), size) * size, '\0');
}

std::string directoryEntry(std::u16string_view name, std::uint8_t type, std::uint32_t right,
                           std::uint32_t child, std::uint32_t start, std::uint32_t size) {
  std::string entry(128, '\0');
  for (std::size_t i = 0; i < name.size() && i < 31; ++i) {
    entry[2 * i] = static_cast<char>(name[i] & 0xFF);
    entry[2 * i + 1] = static_cast<char>(name[i] >> 8);
  }
  std::string nameLength = u16le(static_cast<std::uint32_t>(2 * (name.size() + 1)));
  entry.replace(0x40, 2, nameLength);
  entry[0x42] = static_cast<char>(type);
  entry[0x43] = 1;  // black
  entry.replace(0x44, 4, u32le(0xFFFFFFFF));
  entry.replace(0x48, 4, u32le(right));
  entry.replace(0x4C, 4, u32le(child));
  entry.replace(0x74, 4, u32le(start));
  entry.replace(0x78, 4, u32le(size));
  return entry;
}

}  // namespace

std::string u16le(std::uint32_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

std::string u32le(std::uint32_t value) { return u16le(value & 0xFFFF) + u16le(value >> 16); }

std::string f64le(double value) {
  std::string bytes(8, '\0');
  std::memcpy(bytes.data(), &value, 8);
  return bytes;
}

std::string record(std::uint16_t id, std::string_view body) {
  return u16le(id) + u16le(static_cast<std::uint32_t>(body.size())) + std::string(body);
}

std::string compressedString(std::string_view latin1, bool shortCount) {
  std::string count = shortCount ? std::string(1, static_cast<char>(latin1.size()))
                                 : u16le(static_cast<std::uint32_t>(latin1.size()));
  return count + '\0' + std::string(latin1);
}

std::string wideString(std::u16string_view text, bool shortCount) {
  std::string out = shortCount ? std::string(1, static_cast<char>(text.size()))
                               : u16le(static_cast<std::uint32_t>(text.size()));
  out += '\x01';
  for (char16_t c : text) out += u16le(c);
  return out;
}

std::string cellHeader(std::uint16_t row, std::uint16_t col, std::uint16_t xf) {
  return u16le(row) + u16le(col) + u16le(xf);
}

std::string workbookStream(const std::string& globals, const std::vector<SheetStream>& sheets,
                           std::uint16_t version) {
  auto bof = [&](std::uint16_t kind) {
    return record(0x0809, u16le(version) + u16le(kind) + std::string(12, '\0'));
  };
  const std::string eof = record(0x000A, "");
  std::size_t globalsSize = bof(5).size() + globals.size() + eof.size();
  for (const SheetStream& sheet : sheets) {
    globalsSize += record(0x0085, std::string(6, '\0') + wideString(sheet.name, true)).size();
  }
  std::string boundSheets, bodies;
  for (const SheetStream& sheet : sheets) {
    std::uint32_t offset = static_cast<std::uint32_t>(globalsSize + bodies.size());
    boundSheets += record(0x0085, u32le(offset) + '\0' + static_cast<char>(sheet.type) +
                                      wideString(sheet.name, true));
    bodies += bof(0x10) + sheet.records + eof;
  }
  return bof(5) + globals + boundSheets + eof + bodies;
}

std::string minimalGlobals() {
  std::string font = u16le(200) + u16le(0) + u16le(0x7FFF) + u16le(400) + std::string(6, '\0') +
                     compressedString("Arial", true);
  std::string xf = u16le(0) + u16le(0) + std::string(16, '\0');
  return record(0x0031, font) + record(0x00E0, xf);
}

std::string compoundFile(const std::vector<std::pair<std::u16string, std::string>>& streams) {
  std::string miniStream, miniFat, regular, directory;
  std::vector<std::uint32_t> starts;
  std::vector<std::uint32_t> miniChains;  // mini allocation entries
  std::vector<std::size_t> regularSizes;  // sectors per regular stream, in order
  for (const auto& [name, data] : streams) {
    std::string padded = data;
    if (data.size() < kMiniCutoff) {
      padTo(padded, kMiniSector);
      std::uint32_t first = static_cast<std::uint32_t>(miniStream.size() / kMiniSector);
      std::size_t count = padded.size() / kMiniSector;
      for (std::size_t i = 0; i < count; ++i) {
        miniChains.push_back(i + 1 < count ? static_cast<std::uint32_t>(first + i + 1)
                                           : kEndOfChain);
      }
      starts.push_back(count ? first : kEndOfChain);
      miniStream += padded;
    } else {
      padTo(padded, kSector);
      starts.push_back(0);  // fixed below, once the layout is known
      regularSizes.push_back(padded.size() / kSector);
      regular += padded;
    }
  }
  for (std::uint32_t entry : miniChains) miniFat += u32le(entry);
  padTo(miniFat, kSector);
  std::string miniStreamSectors = miniStream;
  padTo(miniStreamSectors, kSector);

  std::size_t dirSectors = sectorsFor((streams.size() + 1) * 128, kSector);
  std::size_t miniFatSectors = miniFat.size() / kSector;
  std::size_t miniStreamCount = miniStreamSectors.size() / kSector;
  std::size_t others = dirSectors + miniFatSectors + miniStreamCount + regular.size() / kSector;
  std::size_t fatSectors = 1;
  while (fatSectors * (kSector / 4) < fatSectors + others) ++fatSectors;

  std::vector<std::uint32_t> fat;
  auto addChain = [&](std::size_t count) {
    std::uint32_t first = static_cast<std::uint32_t>(fat.size());
    for (std::size_t i = 0; i < count; ++i) {
      fat.push_back(i + 1 < count ? static_cast<std::uint32_t>(fat.size() + 1) : kEndOfChain);
    }
    return count ? first : kEndOfChain;
  };
  for (std::size_t i = 0; i < fatSectors; ++i) fat.push_back(kFatSector);
  std::uint32_t dirStart = addChain(dirSectors);
  std::uint32_t miniFatStart = addChain(miniFatSectors);
  std::uint32_t miniStreamStart = addChain(miniStreamCount);
  std::size_t nextRegular = 0;
  for (std::size_t i = 0; i < streams.size(); ++i) {
    if (streams[i].second.size() >= kMiniCutoff) starts[i] = addChain(regularSizes[nextRegular++]);
  }
  fat.resize(fatSectors * (kSector / 4), kFreeSector);

  directory += directoryEntry(u"Root Entry", 5, 0xFFFFFFFF, streams.empty() ? 0xFFFFFFFF : 1,
                              miniStreamStart, static_cast<std::uint32_t>(miniStream.size()));
  for (std::size_t i = 0; i < streams.size(); ++i) {
    std::uint32_t right = i + 1 < streams.size() ? static_cast<std::uint32_t>(i + 2) : 0xFFFFFFFF;
    directory += directoryEntry(streams[i].first, 2, right, 0xFFFFFFFF, starts[i],
                                static_cast<std::uint32_t>(streams[i].second.size()));
  }
  padTo(directory, kSector);

  std::string header(kSector, '\0');
  header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  header.replace(0x18, 2, u16le(0x3E));
  header.replace(0x1A, 2, u16le(3));
  header.replace(0x1C, 2, u16le(0xFFFE));
  header.replace(0x1E, 2, u16le(9));
  header.replace(0x20, 2, u16le(6));
  header.replace(0x2C, 4, u32le(static_cast<std::uint32_t>(fatSectors)));
  header.replace(0x30, 4, u32le(dirStart));
  header.replace(0x38, 4, u32le(kMiniCutoff));
  header.replace(0x3C, 4, u32le(miniFatStart));
  header.replace(0x40, 4, u32le(static_cast<std::uint32_t>(miniFatSectors)));
  header.replace(0x44, 4, u32le(kEndOfChain));
  for (std::size_t i = 0; i < 109; ++i) {
    header.replace(0x4C + 4 * i, 4,
                   u32le(i < fatSectors ? static_cast<std::uint32_t>(i) : kFreeSector));
  }
  std::string fatBytes;
  for (std::uint32_t entry : fat) fatBytes += u32le(entry);
  return header + fatBytes + directory + (miniFatSectors ? miniFat : "") + miniStreamSectors +
         regular;
}

void patchU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  bytes.replace(offset, 4, u32le(value));
}

}  // namespace xls_test
