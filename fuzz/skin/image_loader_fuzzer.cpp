// A library image, mapped twice: at its own base and, with that base taken, moved (so the
// relocations are walked). Whatever the bytes, the loader must not read or write outside them or
// the mapping, and must leave nothing reserved or loaded once the image is gone.
#include <cstddef>
#include <cstdint>
#include <span>

#include "skin/fake_image_host.h"
#include "skin/memory_module.h"
#include "skin/pe_headers.h"

namespace {

void loadOnce(std::span<const std::uint8_t> image, bool baseTaken) {
  skin::FakeImageMemory memory;
  memory.largestReservation = 1u << 20;  // thirty times the skin library
  skin::FakeImportLibraries libraries;
  if (baseTaken) {
    auto reading = skin::readHeaders(skin::ImageView(image.data(), image.size()));
    if (!reading.headers) return;
    memory.taken.insert(reading.headers->imageBase);
  }
  skin::LoadResult result = skin::loadImageFromMemory(image, memory, libraries);
  if (result.image) {
    skin::findExport(*result.image, "SkinH_AttachRes");
    skin::findExport(*result.image, "SkinH_AdjustHSV");
  }
  skin::freeImage(std::move(result.image));
  if (memory.reservedRegions() != 0 || libraries.stillLoaded() != 0 || libraries.extraFrees != 0) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> image(data, size);
  loadOnce(image, false);
  loadOnce(image, true);
  return 0;
}
