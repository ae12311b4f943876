// One run of region watch: a thread of its own samples the marked area, recognises it once a
// change has settled, and has the answer form look the new text up. Stopping (destroying the
// run) ends the sampling: no sample is taken once it has returned; a recognition still under
// way finishes alone and its result is dropped.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "capture/ocr_client.h"
#include "capture/region_watch.h"
#include "platform/worker.h"
#include "ui/types.h"

namespace app {

// Reads a picture of the area (BMP bytes) into text. Called on the run's thread, so it holds
// only what it needs and no reference to its maker.
using AreaReader = std::function<capture::Recognition(const std::string& bmp)>;

class RegionWatchRun {
 public:
  // Starts sampling `area` (screen coordinates) for `answerForm`. `started` is false when the
  // system gave no thread; nothing runs then.
  RegionWatchRun(ui::FormHandle answerForm, ui::Rect area, AreaReader reader,
                 capture::WatchTuning tuning = {});
  ~RegionWatchRun();
  RegionWatchRun(const RegionWatchRun&) = delete;
  RegionWatchRun& operator=(const RegionWatchRun&) = delete;

  bool started() const { return started_; }
  ui::Rect area() const { return area_; }

 private:
  struct Stop;
  ui::Rect area_;
  std::shared_ptr<Stop> stop_;
  bool started_ = false;
  platform::OneShots thread_;  // last: its gate closes before the rest goes
};

}  // namespace app
