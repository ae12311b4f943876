#include "skin/library/skin_file.h"

namespace skinlib {
namespace {

constexpr std::uint8_t kFormatVersion = 1;
constexpr std::uint8_t kColourEntry = 1;
constexpr std::uint8_t kNumberEntry = 2;
constexpr std::uint32_t kHeaderSize = 8;
constexpr std::uint32_t kLongestName = 48;

const char* const kRoleNames[kRoleCount] = {
    "form.background",
    "form.text",
    "button.face",
    "button.hot",
    "button.pressed",
    "button.border",
    "button.text",
    "button.disabled.face",
    "button.disabled.text",
    "edit.background",
    "edit.text",
    "list.background",
    "list.text",
    "status.background",
    "progress.bar",
};

bool sameName(const unsigned char* name, std::uint32_t length, const char* wanted) {
  std::uint32_t i = 0;
  for (; i < length; ++i) {
    if (wanted[i] == '\0' || static_cast<unsigned char>(wanted[i]) != name[i]) return false;
  }
  return wanted[i] == '\0';
}

std::uint32_t readU32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

// Files hold 0xRRGGBB as people write colours; the system wants 0x00BBGGRR.
std::uint32_t systemOrder(std::uint32_t rgb) {
  return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

}  // namespace

const char* roleName(int role) { return role >= 0 && role < kRoleCount ? kRoleNames[role] : ""; }

bool readSkin(const unsigned char* data, std::uint32_t size, Palette& palette,
              int* unknownEntries) {
  if (!data || size < kHeaderSize) return false;
  if (data[0] != '.' || data[1] != 'S' || data[2] != 'H' || data[3] != 'E') return false;
  if (data[4] != kFormatVersion || data[6] != 0 || data[7] != 0) return false;
  Palette read{};
  read.buttonRadius = 0;
  int unknown = 0;
  std::uint32_t at = kHeaderSize;
  for (int entry = 0; entry < data[5]; ++entry) {
    if (size - at < 2) return false;
    std::uint8_t kind = data[at];
    std::uint32_t length = data[at + 1];
    if (length == 0 || length > kLongestName || size - at - 2 < length + 4) return false;
    const unsigned char* name = data + at + 2;
    for (std::uint32_t i = 0; i < length; ++i) {
      if (name[i] < 0x21 || name[i] > 0x7E) return false;
    }
    std::uint32_t value = readU32(name + length);
    at += 2 + length + 4;
    if (kind == kColourEntry) {
      if (value > 0xFFFFFF) return false;
      int role = 0;
      while (role < kRoleCount && !sameName(name, length, kRoleNames[role])) ++role;
      if (role == kRoleCount) {
        ++unknown;
        continue;
      }
      read.colour[role] = systemOrder(value);
      read.given[role] = true;
    } else if (kind == kNumberEntry) {
      if (sameName(name, length, "button.radius")) {
        if (value > 32) return false;
        read.buttonRadius = int(value);
      } else {
        ++unknown;
      }
    } else {
      return false;
    }
  }
  if (at != size) return false;
  palette = read;
  if (unknownEntries) *unknownEntries = unknown;
  return true;
}

}  // namespace skinlib
