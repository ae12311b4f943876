// Damaged images give no module and leave nothing behind: no crash, no hang, no write outside
// the mapping (the fuzzer runs the same under the address sanitizer).
#include <gtest/gtest.h>

#include <functional>

#include "skin/fake_image_host.h"
#include "skin/memory_module.h"
#include "skin_library_file.h"

namespace skin {
namespace {

using testing::Bytes;
using testing::write32;

struct Outcome {
  LoadError error;
  bool clean;  // nothing reserved or loaded afterwards
};

Outcome loadOnce(const Bytes& image, bool baseTaken = false) {
  FakeImageMemory memory;
  FakeImportLibraries libraries;
  if (baseTaken) memory.taken.insert(testing::headersOf(testing::skinLibraryBytes()).imageBase);
  LoadResult result = loadImageFromMemory(image, memory, libraries);
  result.image.reset();
  return {result.error, memory.reservedRegions() == 0 && libraries.stillLoaded() == 0};
}

TEST(DamagedImage, EveryTruncationIsRefused) {
  Bytes file = testing::skinLibraryBytes();
  for (std::size_t length = 0; length < file.size(); length += length < 1100 ? 1 : 97) {
    Bytes cut(file.begin(), file.begin() + std::ptrdiff_t(length));
    Outcome outcome = loadOnce(cut);
    EXPECT_NE(outcome.error, LoadError::None) << length;
    EXPECT_TRUE(outcome.clean) << length;
  }
}

TEST(DamagedImage, BadFieldsAreRefusedWithTheirReason) {
  const Bytes file = testing::skinLibraryBytes();
  const ImageHeaders h = testing::headersOf(file);
  const std::uint32_t nt = h.ntHeaders;
  const std::uint32_t optional = nt + 24;
  const std::uint32_t table = h.sectionTableEnd - 40 * std::uint32_t(h.sections.size());
  const std::uint32_t imports = testing::fileOffset(file, h.imports.rva);
  const std::uint32_t relocations = testing::fileOffset(file, h.relocations.rva);
  ASSERT_NE(imports, 0u);
  ASSERT_NE(relocations, 0u);

  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
    LoadError error;
    bool baseTaken = false;
  };
  const Case cases[] = {
      {"no MZ", [](Bytes& b) { b[0] = 'X'; }, LoadError::NotAnImage},
      {"NT headers beyond the end", [](Bytes& b) { write32(b, 0x3C, 0xFFFFFFF0); },
       LoadError::NotAnImage},
      {"no PE signature", [&](Bytes& b) { b[nt + 1] = 'X'; }, LoadError::NotAnImage},
      {"64-bit machine", [&](Bytes& b) { b[nt + 4] = 0x64, b[nt + 5] = 0x86; },
       LoadError::UnsupportedImage},
      {"section alignment below a page", [&](Bytes& b) { write32(b, optional + 32, 0x200); },
       LoadError::UnsupportedImage},
      {"section table past the headers", [&](Bytes& b) { b[nt + 6] = 0xFF, b[nt + 7] = 0x00; },
       LoadError::DamagedImage},
      {"optional header too short", [&](Bytes& b) { b[nt + 20] = 0x10, b[nt + 21] = 0; },
       LoadError::DamagedImage},
      {"no image size", [&](Bytes& b) { write32(b, optional + 56, 0); }, LoadError::DamagedImage},
      {"a huge image size", [&](Bytes& b) { write32(b, optional + 56, 0xFFFFF000); },
       LoadError::DamagedImage},
      {"headers larger than the file", [&](Bytes& b) { write32(b, optional + 60, 0x7FFFFFFF); },
       LoadError::DamagedImage},
      {"raw data past the file", [&](Bytes& b) { write32(b, table + 20, 0xFFFFFF00); },
       LoadError::DamagedImage},
      {"raw data past the image", [&](Bytes& b) { write32(b, table + 16, 0x00100000); },
       LoadError::DamagedImage},
      {"sections out of order", [&](Bytes& b) { write32(b, table + 40 + 12, 0x1000); },
       LoadError::DamagedImage},
      {"entry point past the image", [&](Bytes& b) { write32(b, optional + 16, 0x7FFFFFFF); },
       LoadError::DamagedImage},
      {"moved with relocations stripped", [&](Bytes& b) { b[nt + 22] |= 0x01; },
       LoadError::NotRelocatable, true},
      {"moved without a relocation directory",
       [&](Bytes& b) { write32(b, optional + 96 + 5 * 8 + 4, 0); }, LoadError::NotRelocatable,
       true},
      // Would loop for ever if an empty block were taken at its word.
      {"relocation block of size 0", [&](Bytes& b) { write32(b, relocations + 4, 0); },
       LoadError::DamagedImage, true},
      {"relocation block past its directory",
       [&](Bytes& b) { write32(b, relocations + 4, 0x10000); }, LoadError::DamagedImage, true},
      {"relocation target past the image", [&](Bytes& b) { write32(b, relocations, 0x7FFF0000); },
       LoadError::DamagedImage, true},
      {"relocation directory past the image",
       [&](Bytes& b) { write32(b, optional + 96 + 5 * 8, 0x7FFFFFF0); }, LoadError::DamagedImage,
       true},
      {"library name past the image", [&](Bytes& b) { write32(b, imports + 12, 0x7FFFFFFF); },
       LoadError::DamagedImage},
      {"name thunks past the image", [&](Bytes& b) { write32(b, imports, 0x7FFFFFF0); },
       LoadError::DamagedImage},
      {"no address slots", [&](Bytes& b) { write32(b, imports + 16, 0); }, LoadError::DamagedImage},
      {"function name past the image",
       [&](Bytes& b) {
         write32(b, testing::fileOffset(b, testing::read32(&b[imports])), 0x7FFFFFF0);
       },
       LoadError::DamagedImage},
  };
  for (const Case& c : cases) {
    Bytes damaged = file;
    c.damage(damaged);
    Outcome outcome = loadOnce(damaged, c.baseTaken);
    EXPECT_EQ(outcome.error, c.error) << c.what;
    EXPECT_TRUE(outcome.clean) << c.what;
  }
}

}  // namespace
}  // namespace skin
