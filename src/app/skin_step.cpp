#include "app/skin_step.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "skin/embedded.h"
#include "skin/process_image.h"

namespace app {
namespace {

std::span<const std::uint8_t> bytesOf(std::string_view data) {
  return {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()};
}

std::uintptr_t word(int value) { return std::uintptr_t(std::intptr_t(value)); }

}  // namespace

void applySkin() {
  // Never freed: the skinned windows call into the library until the process ends.
  static auto* step = new SkinStep(SkinLibraryImage());
  step->apply(SkinFileData(), 0, 0);
}

SkinStep::SkinStep(std::string_view libraryImage) : libraryImage_(libraryImage) {}

SkinStep::~SkinStep() = default;

void SkinStep::mapLibrary() {
  if (!skinLibrary_) skinLibrary_ = skin::mapIntoProcess(bytesOf(libraryImage_)).image;
}

void SkinStep::apply(std::string_view skin, int hueShift, int saturationShift) {
  try {
    mapLibrary();
    if (skinLibrary_) {
      const std::uintptr_t attach[] = {
          reinterpret_cast<std::uintptr_t>(skin.data()), skin.size(), 0, 0, 0, 0};
      skin::callExport(*skinLibrary_, "SkinH_AttachRes", attach);
    }
    hueShift = std::clamp(hueShift, -180, 180);
    saturationShift = std::clamp(saturationShift, -100, 100);
    mapLibrary();
    if (skinLibrary_) {
      const std::uintptr_t adjust[] = {word(hueShift), word(saturationShift), 0};
      skin::callExport(*skinLibrary_, "SkinH_AdjustHSV", adjust);
    }
  } catch (...) {
    // Out of memory while mapping: the program goes on without its skin.
  }
}

}  // namespace app
