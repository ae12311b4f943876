#include "recognition/text_preparation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace recognition {
namespace {

// How far from the background a pixel must be to count as ink when judging the picture.
constexpr int kInkDistance = 48;
// The share of the way from ink to background at which a pixel counts as background.
constexpr double kPaperShare = 0.9;

using Histogram = std::array<std::size_t, 256>;

Histogram histogramOf(const GreyPicture& picture) {
  Histogram counts{};
  for (std::uint8_t v : picture.pixels) ++counts[v];
  return counts;
}

// The value below which `fraction` of the pixels lie.
int percentile(const Histogram& counts, std::size_t total, double fraction) {
  const std::size_t wanted = std::size_t(double(total) * fraction);
  std::size_t seen = 0;
  for (int v = 0; v < 256; ++v) {
    seen += counts[v];
    if (seen > wanted) return v;
  }
  return 255;
}

}  // namespace

int medianLineHeight(const GreyPicture& picture) {
  // A row holds text when enough of it is dark; a run of such rows is one line's ink. Runs of
  // one or two rows are rules and underlines, not text.
  const int needed = std::max(1, picture.width / 400);
  std::vector<int> heights;
  int run = 0;
  for (int y = 0; y <= picture.height; ++y) {
    int dark = 0;
    if (y < picture.height)
      for (int x = 0; x < picture.width && dark < needed; ++x) dark += picture.at(x, y) < 128;
    if (dark >= needed) {
      ++run;
    } else {
      if (run >= 3) heights.push_back(run);
      run = 0;
    }
  }
  if (heights.empty()) return 0;
  std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
  return heights[heights.size() / 2];
}

GreyPicture resized(const GreyPicture& picture, int width, int height) {
  GreyPicture out;
  out.width = std::max(1, width), out.height = std::max(1, height);
  out.pixels.resize(std::size_t(out.width) * std::size_t(out.height));
  const double sx = double(picture.width) / out.width, sy = double(picture.height) / out.height;
  for (int y = 0; y < out.height; ++y) {
    const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, double(picture.height - 1));
    const int y0 = int(fy), y1 = std::min(y0 + 1, picture.height - 1);
    const double wy = fy - y0;
    std::uint8_t* target = &out.pixels[std::size_t(y) * std::size_t(out.width)];
    for (int x = 0; x < out.width; ++x) {
      const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, double(picture.width - 1));
      const int x0 = int(fx), x1 = std::min(x0 + 1, picture.width - 1);
      const double wx = fx - x0;
      const double top = picture.at(x0, y0) * (1 - wx) + picture.at(x1, y0) * wx;
      const double bottom = picture.at(x0, y1) * (1 - wx) + picture.at(x1, y1) * wx;
      target[x] = std::uint8_t(std::lround(top * (1 - wy) + bottom * wy));
    }
  }
  return out;
}

PreparedPicture prepareForRecognition(const GreyPicture& screenshot) {
  PreparedPicture prepared;
  if (screenshot.pixels.empty()) {
    prepared.blank = true;
    return prepared;
  }
  // Most of a selection of text is background, so its median is the background's level; the
  // ink is what lies well away from it, darker or lighter.
  const Histogram counts = histogramOf(screenshot);
  const std::size_t total = screenshot.pixels.size();
  const int background = percentile(counts, total, 0.5);
  std::size_t darker = 0, lighter = 0;
  for (int v = 0; v < 256; ++v) {
    if (v <= background - kInkDistance) darker += counts[v];
    if (v >= background + kInkDistance) lighter += counts[v];
  }
  if (darker == 0 && lighter == 0) {
    prepared.blank = true;
    return prepared;
  }
  prepared.turned = lighter > darker;

  // Stretch so that the background becomes white and the strongest ink black. The last tenth
  // next to the background goes to white too: JPEG leaves faint ringing around every letter
  // that the recogniser otherwise reads as strokes.
  const int ink =
      prepared.turned ? percentile(counts, total, 0.999) : percentile(counts, total, 0.001);
  const double range = std::max(1, std::abs(background - ink));
  std::array<std::uint8_t, 256> level{};
  for (int v = 0; v < 256; ++v) {
    const double fromInk = prepared.turned ? ink - v : v - ink;
    level[v] =
        std::uint8_t(std::clamp(std::lround(fromInk * 255 / (range * kPaperShare)), 0L, 255L));
  }
  GreyPicture clean = screenshot;
  for (std::uint8_t& v : clean.pixels) v = level[v];

  const int lineHeight = medianLineHeight(clean);
  double scale = 1;
  if (lineHeight > 0 && lineHeight < kPreferredInkHeight)
    scale = std::min(kMaxUpscale, double(kPreferredInkHeight) / lineHeight);
  const double pixels = double(clean.width) * clean.height;
  if (pixels * scale * scale > double(kMaxPreparedPixels))
    scale = std::max(1.0, std::sqrt(double(kMaxPreparedPixels) / pixels));
  prepared.scale = scale;
  if (scale > 1)
    clean = resized(clean, int(std::lround(clean.width * scale)),
                    int(std::lround(clean.height * scale)));

  // The recogniser finds text touching the picture's edge poorly.
  const int margin = kPreferredInkHeight / 2;
  GreyPicture& out = prepared.picture;
  out.width = clean.width + 2 * margin, out.height = clean.height + 2 * margin;
  out.pixels.assign(std::size_t(out.width) * std::size_t(out.height), 255);
  for (int y = 0; y < clean.height; ++y)
    std::copy_n(&clean.pixels[std::size_t(y) * std::size_t(clean.width)], clean.width,
                &out.pixels[std::size_t(y + margin) * std::size_t(out.width) + margin]);
  return prepared;
}

}  // namespace recognition
