// The skin step of the DisclaimerForm's start: our skin library, mapped from the program's own
// memory, is handed the program's skin and its colour shift. Whatever fails, the program runs on
// unskinned and nothing is shown.
#pragma once
#include <memory>
#include <string_view>

#include "skin/memory_module.h"

namespace app {

// The program's skin with no colour shift, through the one skin library kept for the whole run.
void applySkin();

// The skin step over a given library image; the library is mapped on the first apply and kept
// until this is destroyed.
class SkinStep {
 public:
  explicit SkinStep(std::string_view libraryImage);
  ~SkinStep();

  // Attaches `skin`, then sets the shifts (clamped to -180..180 and -100..100).
  void apply(std::string_view skin, int hueShift, int saturationShift);
  const skin::LoadedImage* skinLibrary() const { return skinLibrary_.get(); }

 private:
  void mapLibrary();

  std::string_view libraryImage_;
  std::unique_ptr<skin::LoadedImage> skinLibrary_;
};

}  // namespace app
