// The answer form's capture modes: 按钮_开始 with the three mode radio buttons, drag-select
// through the system-wide mouse hook (a drag copies the selected text into 编辑框1 and, with
// 选择框_自动搜索, searches it), screenshot mode through the hotkeys F4 or Alt+A, which
// open the screenshot overlay whose selection goes to the OCR side, and region watch, which
// marks an area in that overlay once and then looks up each new question shown there.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "app/controllers/region_watch_run.h"
#include "app/forms/answer_form.h"
#include "capture/copy_worker.h"

namespace app {

// What screenshot capture needs of the OCR side. Called on the user-interface thread.
class ScreenshotRecognition {
 public:
  virtual ~ScreenshotRecognition() = default;
  // Screenshot mode is starting in `answerForm`: make sure an access token is held, fetching
  // one with the stored keys when none is. `done` gets whether one is held then; it may run at
  // once or later, as an event of the form (not at all once the form is gone).
  virtual void fetchToken(ui::FormHandle answerForm, std::function<void(bool held)> done) = 0;
  // No token could be had: the OCR settings form, not modal.
  virtual void openSettings() = 0;
  // A finished selection (BMP bytes, never empty, the recognition's own copy): recognise it on
  // a worker and put the text into the answer form's keyword box and search it.
  virtual void recognize(ui::FormHandle answerForm, std::string bmp) = 0;
  // Region watch is starting, after fetchToken: the reading its thread does, by the same route
  // as a selection's.
  virtual AreaReader areaReader() = 0;
};

// The waits of a drag-select copy: before the copy keys (the button-up settles in the window
// under the mouse) and after them (the copy reaches the clipboard).
struct CopyTiming {
  int beforeKeysMs = 100;
  // After Ctrl+C: the clipboard is read once the other program has changed it, or after this
  // long when it never does (nothing was selected).
  int copyArrivalMs = 500;
};

class CaptureController {
 public:
  explicit CaptureController(ScreenshotRecognition& recognition, CopyTiming timing = {});
  ~CaptureController();
  CaptureController(const CaptureController&) = delete;
  CaptureController& operator=(const CaptureController&) = delete;

  // Attaches the capture controls and the hotkeys' dispatch to an answer form about to be
  // created, after its search session.
  void wireAnswerForm(AnswerForm& form);
  // The answer form is being destroyed: its mouse hook and hotkeys are released.
  void releaseAnswerForm();

  // The last finished selection as BMP bytes (empty before the first, and after one without
  // area); 图片框2 of the answer form shows it.
  const std::string& capturedImage() const { return capturedImage_; }
  // No copy waiting or running (tests wait for it).
  bool copiesIdle() const { return copies_.idle(); }
  // Region watch's timings (tests shorten them).
  void setWatchTuning(capture::WatchTuning tuning) { watchTuning_ = tuning; }
  // The area region watch marked last, kept for the run of the program (none: zero size).
  ui::Rect watchedArea() const { return watchedArea_; }

 private:
  class AnswerCapture;

  ScreenshotRecognition& recognition_;
  CopyTiming timing_;
  std::string capturedImage_;
  capture::WatchTuning watchTuning_;
  ui::Rect watchedArea_{};
  std::shared_ptr<AnswerCapture> current_;
  capture::CopyWorker copies_;  // last: stopped before the rest goes
};

}  // namespace app
