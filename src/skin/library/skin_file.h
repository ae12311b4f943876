// The skin file our skin library reads: a signature, then named colours and numbers. Portable and
// free of the C++ runtime, so the library (which links no runtime) and the native tests share it.
//
// Layout, little-endian: ".SHE", format version (1 byte, 1), entry count (1 byte), 2 bytes zero;
// then each entry: kind (1 byte: 1 colour 0xRRGGBB, 2 number), name length (1 byte, 1..48), the
// name (printable ASCII), the value (4 bytes). The entries end exactly at the end of the file.
#pragma once
#include <cstdint>

namespace skinlib {

enum Role : int {
  kFormBackground,
  kFormText,
  kButtonFace,
  kButtonHot,
  kButtonPressed,
  kButtonBorder,
  kButtonText,
  kButtonDisabledFace,
  kButtonDisabledText,
  kEditBackground,
  kEditText,
  kListBackground,
  kListText,
  kStatusBackground,
  kProgressBar,
  kRoleCount
};

struct Palette {
  std::uint32_t colour[kRoleCount];  // 0x00BBGGRR, the order the system's colour values use
  bool given[kRoleCount];
  int buttonRadius;
};

// The name a role has in skin files ("form.background", ...).
const char* roleName(int role);

// Reads a skin into `palette`; false for anything that is not a whole, well-formed skin.
// Entries with names this library does not know are skipped and counted in `unknownEntries`.
bool readSkin(const unsigned char* data, std::uint32_t size, Palette& palette,
              int* unknownEntries = nullptr);

// A colour (0x00BBGGRR) moved in hue by `hue` degrees (-180..180) and in saturation and
// brightness by `saturation` and `brightness` percent (-100..100): a positive shift moves the
// part towards its full value by that share, a negative one towards zero.
std::uint32_t shiftColour(std::uint32_t colour, int hue, int saturation, int brightness);

}  // namespace skinlib
