#include "skin/pe_headers.h"

namespace skin {
namespace {

constexpr std::uint16_t kDosSignature = 0x5A4D;     // "MZ"
constexpr std::uint32_t kNtSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kOptionalMagic32 = 0x010B;
constexpr std::uint32_t kFileHeaderSize = 20;
constexpr std::uint32_t kDirectoriesOffset = 96;  // within the 32-bit optional header
constexpr std::uint32_t kSectionHeaderSize = 40;

HeaderReading problem(HeaderProblem p) { return {std::nullopt, p}; }

}  // namespace

HeaderReading readHeaders(const ImageView& image) {
  if (image.u16(0) != kDosSignature) return problem(HeaderProblem::NotAnImage);
  auto ntHeaders = image.u32(0x3C);
  if (!ntHeaders || image.u32(*ntHeaders) != kNtSignature) {
    return problem(HeaderProblem::NotAnImage);
  }
  std::uint64_t file = std::uint64_t(*ntHeaders) + 4;
  auto machine = image.u16(file);
  auto sectionCount = image.u16(file + 2);
  auto optionalSize = image.u16(file + 16);
  auto fileCharacteristics = image.u16(file + 18);
  if (!fileCharacteristics) return problem(HeaderProblem::Damaged);
  std::uint64_t optional = file + kFileHeaderSize;
  if (!image.holds(optional, 2)) return problem(HeaderProblem::Damaged);
  if (*machine != kMachineI386 || image.u16(optional) != kOptionalMagic32) {
    return problem(HeaderProblem::Unsupported);
  }
  if (*optionalSize < kDirectoriesOffset || !image.holds(optional, *optionalSize)) {
    return problem(HeaderProblem::Damaged);
  }

  ImageHeaders h;
  h.ntHeaders = *ntHeaders;
  h.imageBaseOffset = std::uint32_t(optional + 28);
  h.fileCharacteristics = *fileCharacteristics;
  h.initializedDataSize = *image.u32(optional + 8);
  h.uninitializedDataSize = *image.u32(optional + 12);
  h.entryPoint = *image.u32(optional + 16);
  h.imageBase = *image.u32(optional + 28);
  h.sectionAlignment = *image.u32(optional + 32);
  h.imageSize = *image.u32(optional + 56);
  h.headersSize = *image.u32(optional + 60);
  std::uint32_t directoryCount = *image.u32(optional + 92);
  // A directory counts only when both the count and the optional header's size include it.
  auto directory = [&](std::uint32_t index) {
    DataDirectory d;
    std::uint32_t at = kDirectoriesOffset + 8 * index;
    if (index < directoryCount && at + 8 <= *optionalSize) {
      d.rva = *image.u32(optional + at);
      d.size = *image.u32(optional + at + 4);
    }
    return d;
  };
  h.exports = directory(0);
  h.imports = directory(1);
  h.relocations = directory(5);

  std::uint64_t table = optional + *optionalSize;
  if (!image.holds(table, std::uint64_t(*sectionCount) * kSectionHeaderSize)) {
    return problem(HeaderProblem::Damaged);
  }
  h.sections.reserve(*sectionCount);
  for (std::uint32_t i = 0; i < *sectionCount; ++i) {
    std::uint64_t s = table + std::uint64_t(i) * kSectionHeaderSize;
    h.sections.push_back({*image.u32(s + 8), *image.u32(s + 12), *image.u32(s + 16),
                          *image.u32(s + 20), *image.u32(s + 36)});
  }
  h.sectionTableEnd = std::uint32_t(table + std::uint64_t(*sectionCount) * kSectionHeaderSize);
  return {std::move(h), HeaderProblem::NotAnImage};
}

}  // namespace skin
