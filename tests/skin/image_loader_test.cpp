// The loader maps the real skin library against a faked system: sections, relocations, imports,
// protections, the entry point, export lookup, and releasing everything on the way out.
#include <gtest/gtest.h>

#include <set>

#include "skin/fake_image_host.h"
#include "skin/memory_module.h"
#include "skin_library_file.h"

namespace skin {
namespace {

using testing::Bytes;
using testing::section;
using testing::skinLibraryBytes;

class ImageLoader : public ::testing::Test {
 protected:
  LoadResult load(const Bytes& image) { return loadImageFromMemory(image, memory, libraries); }

  Bytes file = skinLibraryBytes();
  ImageHeaders headers = testing::headersOf(file);
  FakeImageMemory memory;
  FakeImportLibraries libraries;
};

TEST_F(ImageLoader, MapsAtAFreePreferredBaseWithTheSectionsAsTheFileHoldsThem) {
  LoadResult loaded = load(file);
  ASSERT_EQ(loaded.error, LoadError::None);
  const LoadedImage& image = *loaded.image;
  EXPECT_EQ(image.codeBase(), headers.imageBase);
  EXPECT_EQ(image.ntHeaders(), image.codeBase() + headers.ntHeaders);
  for (const char* name : {".text", ".rdata", ".edata"}) {
    SectionHeader s = section(file, name);
    ASSERT_GT(s.rawSize, 0u) << name;
    EXPECT_TRUE(std::equal(file.begin() + s.rawOffset, file.begin() + s.rawOffset + s.rawSize,
                           image.bytes() + s.virtualAddress))
        << name << " differs although nothing needed relocating";
  }
  // No raw data: the section is there, all zeros.
  SectionHeader bss = section(file, ".bss");
  ASSERT_EQ(bss.rawSize, 0u);
  ASSERT_GT(bss.virtualSize, 0u);
  for (std::uint32_t i = 0; i < bss.virtualSize; ++i) {
    ASSERT_EQ(image.bytes()[bss.virtualAddress + i], 0) << "at " << i;
  }
}

TEST_F(ImageLoader, MovesEveryHighLowEntryByTheDeltaWhenThePreferredBaseIsTaken) {
  LoadResult atBase = load(file);
  ASSERT_EQ(atBase.error, LoadError::None);
  FakeImageMemory elsewhereMemory;
  elsewhereMemory.taken.insert(headers.imageBase);
  LoadResult moved = loadImageFromMemory(file, elsewhereMemory, libraries);
  ASSERT_EQ(moved.error, LoadError::None);
  std::uint32_t delta = moved.image->codeBase() - headers.imageBase;
  ASSERT_NE(delta, 0u);

  // The relocation blocks, read straight from the file.
  std::set<std::uint32_t> targets;
  std::uint32_t at = testing::fileOffset(file, headers.relocations.rva);
  std::uint32_t end = at + headers.relocations.size;
  while (at + 8 <= end) {
    std::uint32_t page = testing::read32(&file[at]);
    std::uint32_t size = testing::read32(&file[at + 4]);
    if (page == 0 || size < 8) break;
    for (std::uint32_t e = 8; e + 2 <= size; e += 2) {
      std::uint16_t entry = std::uint16_t(file[at + e] | file[at + e + 1] << 8);
      if (entry >> 12 == 3) targets.insert(page + (entry & 0xFFF));
    }
    at += size;
  }
  ASSERT_GT(targets.size(), 10u);

  const std::uint8_t* a = atBase.image->bytes();
  const std::uint8_t* b = moved.image->bytes();
  std::uint32_t imageBaseField = headers.imageBaseOffset;
  for (std::uint32_t target : targets) {
    EXPECT_EQ(testing::read32(b + target) - testing::read32(a + target), delta) << target;
  }
  // Nothing else moved: the headers (but the base they record) and every section.
  std::set<std::uint32_t> changed;
  for (std::uint32_t target : targets) {
    for (std::uint32_t k = 0; k < 4; ++k) changed.insert(target + k);
  }
  for (std::uint32_t k = 0; k < 4; ++k) changed.insert(imageBaseField + k);
  for (std::uint32_t i = 0; i < headers.imageSize; ++i) {
    if (!changed.count(i)) {
      ASSERT_EQ(a[i], b[i]) << "byte " << i << " is no relocation target";
    }
  }
  EXPECT_EQ(testing::read32(b + imageBaseField), moved.image->codeBase());
}

TEST_F(ImageLoader, ResolvesByOrdinalWhatTheImageImportsByOrdinalAndTheRestByName) {
  LoadResult loaded = load(file);
  ASSERT_EQ(loaded.error, LoadError::None);
  std::set<std::string> loadedLibraries;
  for (const auto& name : libraries.loadedNames()) loadedLibraries.insert(name);
  EXPECT_EQ(loadedLibraries,
            (std::set<std::string>{"comctl32.dll", "gdi32.dll", "kernel32.dll", "user32.dll"}));
  EXPECT_EQ(loaded.image->modules().size(), 4u);

  std::set<int> comctlOrdinals;
  bool hookByName = false;
  for (const auto& lookup : libraries.lookups) {
    if (lookup.library == "comctl32.dll") {
      EXPECT_TRUE(lookup.name.empty()) << "comctl32 asked by name for " << lookup.name;
      if (lookup.ordinal) comctlOrdinals.insert(*lookup.ordinal);
    } else {
      EXPECT_FALSE(lookup.ordinal) << lookup.library << " asked by ordinal";
      hookByName = hookByName || lookup.name == "SetWindowsHookExW";
    }
  }
  EXPECT_EQ(comctlOrdinals, (std::set<int>{410, 411, 412, 413}));
  EXPECT_TRUE(hookByName);

  // Each address handed out landed in an address slot of the mapped image.
  SectionHeader idata = section(file, ".idata");
  const std::uint8_t* slots = loaded.image->bytes() + idata.virtualAddress;
  for (const char* function :
       {"comctl32.dll!#410", "user32.dll!SetWindowsHookExW", "kernel32.dll!GetCurrentThreadId"}) {
    auto address = libraries.addressOf(function);
    ASSERT_TRUE(address) << function;
    bool stored = false;
    for (std::uint32_t i = 0; i + 4 <= idata.virtualSize; i += 4) {
      stored = stored || testing::read32(slots + i) == *address;
    }
    EXPECT_TRUE(stored) << function;
  }
}

TEST_F(ImageLoader, ProtectsSectionsByTheirCharacteristicsAndDropsDiscardableOnes) {
  LoadResult loaded = load(file);
  ASSERT_EQ(loaded.error, LoadError::None);
  std::uint32_t base = loaded.image->codeBase();
  auto protectionAt = [&](const char* name) {
    auto page = memory.page(base + section(file, name).virtualAddress);
    return page && page->committed ? page->protection : 0u;
  };
  EXPECT_EQ(protectionAt(".text"), kExecuteRead);
  EXPECT_EQ(protectionAt(".rdata"), kReadOnly);
  EXPECT_EQ(protectionAt(".edata"), kReadOnly);
  EXPECT_EQ(protectionAt(".idata"), kReadWrite);
  EXPECT_EQ(protectionAt(".bss"), kReadWrite);
  SectionHeader reloc = section(file, ".reloc");
  ASSERT_NE(reloc.characteristics & kSectionDiscardable, 0u);
  EXPECT_FALSE(memory.page(base + reloc.virtualAddress)->committed);
  EXPECT_TRUE(memory.page(base)->committed) << "the headers stay";
}

TEST_F(ImageLoader, AttachesOnLoadDetachesOnFreeAndLeavesNothingBehind) {
  LoadResult loaded = load(file);
  ASSERT_EQ(loaded.error, LoadError::None);
  std::uint32_t base = loaded.image->codeBase();
  std::uint32_t entry = base + headers.entryPoint;
  ASSERT_EQ(memory.entryCalls.size(), 1u);
  EXPECT_EQ(memory.entryCalls[0].entry, entry);
  EXPECT_EQ(memory.entryCalls[0].base, base);
  EXPECT_EQ(memory.entryCalls[0].reason, 1u);
  EXPECT_TRUE(loaded.image->initialized());
  EXPECT_EQ(libraries.stillLoaded(), 4);

  freeImage(std::move(loaded.image));
  ASSERT_EQ(memory.entryCalls.size(), 2u);
  EXPECT_EQ(memory.entryCalls[1].entry, entry);
  EXPECT_EQ(memory.entryCalls[1].reason, 0u);
  EXPECT_EQ(memory.reservedRegions(), 0u);
  EXPECT_EQ(libraries.stillLoaded(), 0);
  EXPECT_EQ(libraries.extraFrees, 0);
}

TEST_F(ImageLoader, AFailedStepReleasesEverythingMappedAndLoadedSoFar) {
  struct Case {
    const char* what;
    void (*arrange)(FakeImageMemory&, FakeImportLibraries&);
    LoadError error;
  };
  const Case cases[] = {
      {"entry point refuses",
       [](FakeImageMemory& m, FakeImportLibraries&) { m.entryPointAnswer = false; },
       LoadError::EntryPointRefused},
      {"library missing",
       [](FakeImageMemory&, FakeImportLibraries& l) { l.missingLibraries.insert("comctl32.dll"); },
       LoadError::LibraryMissing},
      {"ordinal missing",
       [](FakeImageMemory&, FakeImportLibraries& l) {
         l.missingFunctions.insert("comctl32.dll!#412");
       },
       LoadError::ImportMissing},
      {"name missing",
       [](FakeImageMemory&, FakeImportLibraries& l) {
         l.missingFunctions.insert("user32.dll!DrawTextW");
       },
       LoadError::ImportMissing},
      {"no room anywhere",
       [](FakeImageMemory& m, FakeImportLibraries&) { m.largestReservation = 0x1000; },
       LoadError::NoAddressSpace},
  };
  for (const Case& c : cases) {
    FakeImageMemory m;
    FakeImportLibraries l;
    c.arrange(m, l);
    LoadResult result = loadImageFromMemory(file, m, l);
    EXPECT_FALSE(result.image) << c.what;
    EXPECT_EQ(result.error, c.error) << c.what;
    EXPECT_EQ(m.reservedRegions(), 0u) << c.what;
    EXPECT_EQ(l.stillLoaded(), 0) << c.what;
    EXPECT_EQ(l.extraFrees, 0) << c.what;
    for (const auto& call : m.entryCalls) EXPECT_NE(call.reason, 0u) << c.what << ": detached";
  }
}

TEST_F(ImageLoader, FindsExportsByTheirExactNameOnly) {
  LoadResult loaded = load(file);
  ASSERT_EQ(loaded.error, LoadError::None);
  const LoadedImage& image = *loaded.image;
  SectionHeader text = section(file, ".text");
  for (const char* name : {"SkinH_AttachRes", "SkinH_AdjustHSV"}) {
    auto address = findExport(image, name);
    ASSERT_TRUE(address) << name;
    EXPECT_GE(*address, image.codeBase() + text.virtualAddress) << name;
    EXPECT_LT(*address, image.codeBase() + text.virtualAddress + text.virtualSize) << name;
  }
  EXPECT_NE(findExport(image, "SkinH_AttachRes"), findExport(image, "SkinH_AdjustHSV"));
  for (const char* name : {"skinh_attachres", "SKINH_ADJUSTHSV", "SkinH_Attach", "SkinH_AttachResX",
                           "", "qvskin.dll"}) {
    EXPECT_FALSE(findExport(image, name)) << name;
  }
}

TEST_F(ImageLoader, RefusesForwardedExportsAndOrdinalsPastTheFunctions) {
  std::uint32_t directory = testing::fileOffset(file, headers.exports.rva);
  auto table = [&](std::uint32_t field) {
    return testing::fileOffset(file, testing::read32(&file[directory + field]));
  };
  // The function index of an export, found through the name and ordinal tables.
  auto indexOf = [&](const std::string& wanted) {
    for (std::uint32_t i = 0; i < testing::read32(&file[directory + 24]); ++i) {
      std::uint32_t name = testing::fileOffset(file, testing::read32(&file[table(32) + 4 * i]));
      std::uint32_t ordinal = table(36) + 2 * i;
      if (reinterpret_cast<const char*>(&file[name]) == wanted) {
        return std::uint32_t(file[ordinal] | file[ordinal + 1] << 8);
      }
    }
    return ~0u;
  };
  std::uint32_t adjust = indexOf("SkinH_AdjustHSV"), attach = indexOf("SkinH_AttachRes");
  ASSERT_LT(adjust, attach);
  // SkinH_AdjustHSV's address inside the export directory, where forwarders keep their text.
  Bytes forwarding = file;
  testing::write32(forwarding, table(28) + 4 * adjust, headers.exports.rva + 40);
  // The function count cut to SkinH_AttachRes's index, though a real function follows the cut.
  Bytes cutShort = file;
  testing::write32(cutShort, directory + 20, attach);

  FakeImageMemory forwardingMemory, cutMemory;
  LoadResult forwarded = loadImageFromMemory(forwarding, forwardingMemory, libraries);
  LoadResult cut = loadImageFromMemory(cutShort, cutMemory, libraries);
  ASSERT_TRUE(forwarded.image && cut.image);
  EXPECT_FALSE(findExport(*forwarded.image, "SkinH_AdjustHSV"));
  EXPECT_TRUE(findExport(*forwarded.image, "SkinH_AttachRes"));
  EXPECT_FALSE(findExport(*cut.image, "SkinH_AttachRes"));
  EXPECT_TRUE(findExport(*cut.image, "SkinH_AdjustHSV"));
}

}  // namespace
}  // namespace skin
