#include "app/controllers/region_watch_run.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>

#include "app/controllers/ocr_texts.h"
#include "app/controllers/search_session.h"
#include "capture/area_picture.h"
#include "ui/system.h"
#include "ui/toolkit.h"

namespace app {
namespace {

std::int64_t steadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// What a verdict shows, on the user-interface thread as an event of the answer form.
void deliver(ui::FormHandle answerForm, capture::WatchVerdict verdict,
             const capture::Recognition& recognition) {
  if (verdict == capture::WatchVerdict::kLookUp) {
    postKeywordSearch(answerForm, recognition.text);
  } else if (verdict == capture::WatchVerdict::kShowNotice) {
    if (auto notice = ocr_texts::recognitionNotice(recognition.outcome))
      ui::post(answerForm, [notice = std::move(*notice)] { ocr_texts::showNotice(notice); });
  }
}

}  // namespace

struct RegionWatchRun::Stop {
  std::mutex mutex;
  std::condition_variable wake;
  bool stopped = false;

  // Waits `ms`, then reads the area; empty once the run is stopped. The read happens under
  // the lock, so a stop returns only after a read under way (a millisecond or so), and no
  // read starts afterwards, not even while the toolkit goes at exit.
  std::optional<std::vector<std::uint32_t>> waitAndRead(int ms, ui::Rect area) {
    std::unique_lock lock(mutex);
    if (wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopped; }))
      return std::nullopt;
    return ui::screenPixels(area);
  }
  bool isStopped() {
    std::lock_guard lock(mutex);
    return stopped;
  }
};

RegionWatchRun::RegionWatchRun(ui::FormHandle answerForm, ui::Rect area, AreaReader reader,
                               capture::WatchTuning tuning)
    : area_(area), stop_(std::make_shared<Stop>()) {
  auto loop = [stop = stop_, gate = thread_.gate(), answerForm, area, reader = std::move(reader),
               tuning] {
    capture::RegionWatch watch(tuning);
    const int cellSide = capture::cellSideFor(area.width, area.height);
    int delayMs = 0;  // the first sample at once: the question already shown counts
    while (auto read = stop->waitAndRead(delayMs, area)) {
      const std::vector<std::uint32_t>& pixels = *read;
      delayMs = tuning.idleIntervalMs;
      if (pixels.empty()) continue;  // an area off the screen, or the program ending
      const auto sample = capture::reduceToGrey(pixels, area.width, area.height, cellSide);
      if (watch.sampleTaken(sample, steadyMs()) && !stop->isStopped()) {
        const capture::Recognition recognition =
            reader(capture::areaBmp(pixels, area.width, area.height));
        const capture::WatchVerdict verdict =
            watch.recognized(recognition.outcome, recognition.text, steadyMs());
        gate->pass([&] { deliver(answerForm, verdict, recognition); });
      }
      delayMs = watch.nextSampleDelayMs();
    }
  };
  started_ = area.width > 0 && area.height > 0 && thread_.start(loop);
}

RegionWatchRun::~RegionWatchRun() {
  {
    std::lock_guard lock(stop_->mutex);
    stop_->stopped = true;
  }
  stop_->wake.notify_all();
}

}  // namespace app
