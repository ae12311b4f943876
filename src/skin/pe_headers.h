// The parts of a 32-bit x86 library image's headers that the loader and the export lookup use,
// read with every offset checked against the bytes at hand.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "skin/image_view.h"

namespace skin {

// Section characteristics.
constexpr std::uint32_t kSectionInitializedData = 0x00000040;
constexpr std::uint32_t kSectionUninitializedData = 0x00000080;
constexpr std::uint32_t kSectionDiscardable = 0x02000000;
constexpr std::uint32_t kSectionNotCached = 0x04000000;
constexpr std::uint32_t kSectionExecute = 0x20000000;
constexpr std::uint32_t kSectionRead = 0x40000000;
constexpr std::uint32_t kSectionWrite = 0x80000000;
// File characteristics.
constexpr std::uint16_t kRelocationsStripped = 0x0001;

struct DataDirectory {
  std::uint32_t rva = 0;
  std::uint32_t size = 0;
};

struct SectionHeader {
  std::uint32_t virtualSize;
  std::uint32_t virtualAddress;
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
  std::uint32_t characteristics;
};

struct ImageHeaders {
  std::uint32_t ntHeaders;        // offset of the "PE\0\0" signature
  std::uint32_t imageBaseOffset;  // offset of the ImageBase field
  std::uint16_t fileCharacteristics;
  std::uint32_t entryPoint;
  std::uint32_t imageBase;
  std::uint32_t sectionAlignment;
  std::uint32_t imageSize;
  std::uint32_t headersSize;
  std::uint32_t initializedDataSize;
  std::uint32_t uninitializedDataSize;
  DataDirectory exports;
  DataDirectory imports;
  DataDirectory relocations;
  std::vector<SectionHeader> sections;
  std::uint32_t sectionTableEnd;  // offset just past the section table
};

enum class HeaderProblem {
  NotAnImage,   // no "MZ" or no "PE\0\0" where the DOS header points
  Unsupported,  // an image, but not a 32-bit x86 one
  Damaged,      // headers that do not fit the bytes
};

struct HeaderReading {
  std::optional<ImageHeaders> headers;
  HeaderProblem problem = HeaderProblem::NotAnImage;
};

HeaderReading readHeaders(const ImageView& image);

}  // namespace skin
