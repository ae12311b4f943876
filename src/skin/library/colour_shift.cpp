// Hue, saturation and brightness in whole numbers: the skin library has no floating-point runtime
// to lean on, and colours only need eight bits a channel.
#include "skin/library/skin_file.h"

namespace skinlib {
namespace {

constexpr int kSector = 1024;  // hue units per sixth of the colour wheel
constexpr int kWheel = 6 * kSector;

struct Hsv {
  int hue;         // 0..kWheel-1
  int saturation;  // 0..255
  int value;       // 0..255
};

int clampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

Hsv toHsv(int r, int g, int b) {
  int max = r > g ? (r > b ? r : b) : (g > b ? g : b);
  int min = r < g ? (r < b ? r : b) : (g < b ? g : b);
  int delta = max - min;
  Hsv hsv{0, max == 0 ? 0 : (delta * 255 + max / 2) / max, max};
  if (delta == 0) return hsv;
  int hue;
  if (max == r) {
    hue = (g - b) * kSector / delta;
  } else if (max == g) {
    hue = 2 * kSector + (b - r) * kSector / delta;
  } else {
    hue = 4 * kSector + (r - g) * kSector / delta;
  }
  hsv.hue = (hue + kWheel) % kWheel;
  return hsv;
}

void toRgb(const Hsv& hsv, int& r, int& g, int& b) {
  int v = hsv.value, s = hsv.saturation;
  int sector = hsv.hue / kSector, f = hsv.hue % kSector;
  int p = (v * (255 - s) + 127) / 255;
  int q = (v * (255 * kSector - s * f) + 255 * kSector / 2) / (255 * kSector);
  int t = (v * (255 * kSector - s * (kSector - f)) + 255 * kSector / 2) / (255 * kSector);
  switch (sector) {
    case 0:
      r = v, g = t, b = p;
      break;
    case 1:
      r = q, g = v, b = p;
      break;
    case 2:
      r = p, g = v, b = t;
      break;
    case 3:
      r = p, g = q, b = v;
      break;
    case 4:
      r = t, g = p, b = v;
      break;
    default:
      r = v, g = p, b = q;
      break;
  }
}

// A share of the way towards 255 (positive percent) or towards 0 (negative).
int moveBy(int part, int percent) {
  if (percent >= 0) return clampByte(part + (255 - part) * percent / 100);
  return clampByte(part + part * percent / 100);
}

int clampPercent(int v) { return v < -100 ? -100 : v > 100 ? 100 : v; }

}  // namespace

std::uint32_t shiftColour(std::uint32_t colour, int hue, int saturation, int brightness) {
  hue = hue < -180 ? -180 : hue > 180 ? 180 : hue;
  saturation = clampPercent(saturation);
  brightness = clampPercent(brightness);
  if (hue == 0 && saturation == 0 && brightness == 0) return colour & 0xFFFFFF;
  Hsv hsv = toHsv(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF));
  hsv.hue = ((hsv.hue + hue * kWheel / 360) % kWheel + kWheel) % kWheel;
  hsv.saturation = moveBy(hsv.saturation, saturation);
  hsv.value = moveBy(hsv.value, brightness);
  int r, g, b;
  toRgb(hsv, r, g, b);
  return std::uint32_t(r) | std::uint32_t(g) << 8 | std::uint32_t(b) << 16;
}

}  // namespace skinlib
