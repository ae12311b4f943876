// The skin library as built (the bytes the program carries), and where things lie in it, for the
// loader's tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "skin/embedded.h"
#include "skin/pe_headers.h"

namespace skin::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes skinLibraryBytes() {
  std::string_view image = SkinLibraryImage();
  return Bytes(image.begin(), image.end());
}

inline ImageHeaders headersOf(const Bytes& image) {
  return *readHeaders(ImageView(image.data(), image.size())).headers;
}

// The section whose name is `name` (".text", ".bss", ...).
inline SectionHeader section(const Bytes& image, const char* name) {
  ImageHeaders h = headersOf(image);
  std::uint32_t table = h.sectionTableEnd - 40 * std::uint32_t(h.sections.size());
  for (std::size_t i = 0; i < h.sections.size(); ++i) {
    const char* raw = reinterpret_cast<const char*>(image.data() + table + 40 * i);
    if (std::strncmp(raw, name, 8) == 0) return h.sections[i];
  }
  return {};
}

inline std::uint32_t read32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

inline void write32(Bytes& image, std::uint32_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) image[offset + i] = std::uint8_t(value >> (8 * i));
}

// The file offset of an address relative to the image base.
inline std::uint32_t fileOffset(const Bytes& image, std::uint32_t rva) {
  for (const SectionHeader& s : headersOf(image).sections) {
    if (rva >= s.virtualAddress && rva < s.virtualAddress + s.rawSize) {
      return rva - s.virtualAddress + s.rawOffset;
    }
  }
  return 0;
}

}  // namespace skin::testing
