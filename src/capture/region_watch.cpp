#include "capture/region_watch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace capture {

int cellSideFor(int width, int height) {
  if (width <= 0 || height <= 0) return 1;
  const double area = double(width) * double(height);
  return std::max(1, int(std::ceil(std::sqrt(area / 4096.0))));
}

GreySample reduceToGrey(const std::vector<std::uint32_t>& pixels, int width, int height,
                        int cellSide) {
  GreySample sample;
  if (width <= 0 || height <= 0 || cellSide <= 0 ||
      pixels.size() < std::size_t(width) * std::size_t(height))
    return sample;
  sample.width = (width + cellSide - 1) / cellSide;
  sample.height = (height + cellSide - 1) / cellSide;
  std::vector<std::uint32_t> sums(std::size_t(sample.width) * sample.height, 0);
  std::vector<std::uint32_t> counts(sums.size(), 0);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = pixels.data() + std::size_t(y) * width;
    const std::size_t cellRow = std::size_t(y / cellSide) * sample.width;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = row[x];
      // Integer luma weights (0.299, 0.587, 0.114) scaled by 256.
      const std::uint32_t grey =
          (((p >> 16) & 0xFF) * 77 + ((p >> 8) & 0xFF) * 150 + (p & 0xFF) * 29) >> 8;
      sums[cellRow + x / cellSide] += grey;
      ++counts[cellRow + x / cellSide];
    }
  }
  sample.cells.resize(sums.size());
  for (std::size_t i = 0; i < sums.size(); ++i)
    sample.cells[i] = std::uint8_t(sums[i] / std::max<std::uint32_t>(1, counts[i]));
  return sample;
}

bool RegionWatch::differ(const GreySample& a, const GreySample& b) const {
  if (a.width != b.width || a.height != b.height || a.cells.size() != b.cells.size()) return true;
  std::size_t changed = 0;
  for (std::size_t i = 0; i < a.cells.size(); ++i)
    if (std::abs(int(a.cells[i]) - int(b.cells[i])) > tuning_.toleranceLevels) ++changed;
  const std::size_t byShare = a.cells.size() * std::size_t(tuning_.changedPerMille) / 1000;
  return changed >= std::max<std::size_t>(std::size_t(tuning_.minimumChangedCells), byShare) &&
         changed > 0;
}

bool RegionWatch::sampleTaken(const GreySample& sample, std::int64_t nowMs) {
  const bool moved = !hasPrevious_ || differ(sample, previous_);
  if (moved) stillSinceMs_ = nowMs;
  previous_ = sample;
  hasPrevious_ = true;
  const bool news = !hasRecognised_ || differ(sample, recognised_);
  settling_ = news;
  if (!news || nowMs < retryAtMs_) return false;
  // The first sample of a change only starts the settle time; a later one ends it.
  if (moved || nowMs - stillSinceMs_ < tuning_.settleMs) return false;
  recognised_ = sample;
  hasRecognised_ = true;
  settling_ = false;
  return true;
}

int RegionWatch::nextSampleDelayMs() const {
  return settling_ ? std::min(tuning_.settleMs, tuning_.idleIntervalMs) : tuning_.idleIntervalMs;
}

WatchVerdict RegionWatch::recognized(RecognitionOutcome outcome, const std::string& text,
                                     std::int64_t nowMs) {
  if (outcome == RecognitionOutcome::kRecognized && !text.empty()) {
    failureReported_ = false;
    if (text == lastText_) return WatchVerdict::kSameText;
    lastText_ = text;
    return WatchVerdict::kLookUp;
  }
  if (outcome == RecognitionOutcome::kNoText || outcome == RecognitionOutcome::kRecognized) {
    failureReported_ = false;
    // The same question shown again after a blank is a new question to the quiz.
    lastText_.clear();
    return WatchVerdict::kNoText;
  }
  // The area is tried again later even if it stays as it is: the failure may pass.
  hasRecognised_ = false;
  retryAtMs_ = nowMs + tuning_.retryAfterFailureMs;
  if (failureReported_) return WatchVerdict::kQuietFailure;
  failureReported_ = true;
  return WatchVerdict::kShowNotice;
}

}  // namespace capture
