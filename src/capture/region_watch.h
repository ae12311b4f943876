// Watching a marked screen area for a new question: the area is sampled a few times a second as
// a reduced grey copy; once it has changed and then stayed still for a short settle time, its
// picture is recognised, and a text other than the last one is looked up. Pure logic: the
// caller takes the samples and the pictures, and carries out the verdicts.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "capture/ocr_client.h"

namespace capture {

// An area's pixels reduced to cells of grey levels (0-255), row by row.
struct GreySample {
  int width = 0;  // cells
  int height = 0;
  std::vector<std::uint8_t> cells;
};

// Reduces `pixels` (0x00RRGGBB, rows top to bottom, `width` x `height`) to cells of about
// `cellSide` pixels square holding their mean grey. Averaging, not picking, so that a change
// of a thin stroke still moves its cell.
GreySample reduceToGrey(const std::vector<std::uint32_t>& pixels, int width, int height,
                        int cellSide);

// The cell side that keeps an area of this size at no more than about 4096 cells.
int cellSideFor(int width, int height);

struct WatchTuning {
  int toleranceLevels = 24;      // a cell whose grey moves by more than this has changed
  int changedPerMille = 5;       // a sample has changed when this share of its cells has...
  int minimumChangedCells = 2;   // ...and at least this many
  int settleMs = 150;            // still this long before a change counts
  int idleIntervalMs = 250;      // sampling while nothing changes
  int retryAfterFailureMs = 2000;
};

// What to do with a recognition of the watched area.
enum class WatchVerdict {
  kLookUp,        // search the text
  kSameText,      // the text looked up last time: nothing to do
  kNoText,        // nothing readable (a blank between questions): nothing to show
  kShowNotice,    // a failure, the first of a run of them: say so
  kQuietFailure,  // a failure after one already reported
};

class RegionWatch {
 public:
  explicit RegionWatch(WatchTuning tuning = {}) : tuning_(tuning) {}

  // A sample taken at `nowMs` (any steady clock). True when the area should be recognised now:
  // it differs from what was last recognised (or nothing was yet) and has not changed since
  // the previous sample, at least the settle time ago.
  bool sampleTaken(const GreySample& sample, std::int64_t nowMs);
  // How long to wait for the next sample: sooner while a change is settling.
  int nextSampleDelayMs() const;

  // The recognition asked for by the last true sampleTaken, and what to do with it.
  WatchVerdict recognized(RecognitionOutcome outcome, const std::string& text, std::int64_t nowMs);

  // Whether two samples differ by the tuning's measure (different sizes always do).
  bool differ(const GreySample& a, const GreySample& b) const;

 private:
  WatchTuning tuning_;
  GreySample previous_;
  GreySample recognised_;
  bool hasPrevious_ = false;
  bool hasRecognised_ = false;
  std::int64_t stillSinceMs_ = 0;
  std::int64_t retryAtMs_ = 0;
  bool settling_ = false;
  std::string lastText_;
  bool failureReported_ = false;
};

}  // namespace capture
