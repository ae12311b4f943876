// Screenshot capture's OCR side as the program runs it. On the local route (chosen, or no keys
// stored), the program's own engine reads the selections: it is loaded on a worker when
// screenshot mode starts and kept. Otherwise the token is fetched from them on a worker, the
// settings form opens when none comes, and each selection is recognised through the program's one
// OCR client.
#pragma once
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <string>

#include "app/controllers/capture_controller.h"
#include "app/controllers/local_engine.h"
#include "capture/ocr_client.h"
#include "platform/worker.h"

namespace app {

class OcrScreenshotRecognition final : public ScreenshotRecognition {
 public:
  OcrScreenshotRecognition(std::shared_ptr<capture::OcrClient> ocr,
                           std::filesystem::path runDirectory,
                           std::function<void()> openSettingsForm,
                           std::shared_ptr<LocalEngine> localEngine = nullptr);

  // A token already held is enough; otherwise one is fetched on a worker so that the answer
  // form keeps answering for as long as the service takes. A refusal or an unreachable
  // service is said in a short notice before the settings form opens.
  // With the local engine, its load takes that place: a notice names the folder or model at
  // fault when it fails, and the settings form opens for keys.
  void fetchToken(ui::FormHandle answerForm, std::function<void(bool held)> done) override;
  void openSettings() override { openSettingsForm_(); }
  void recognize(ui::FormHandle answerForm, std::string bmp) override;
  // Region watch reads by the route chosen now: the local engine, or the service once the
  // token fetch under way has ended.
  AreaReader areaReader() override;

 private:
  std::shared_ptr<capture::OcrClient> ocr_;
  std::filesystem::path runDirectory_;
  std::function<void()> openSettingsForm_;
  std::shared_ptr<LocalEngine> localEngine_;  // null when the program has none
  std::shared_future<void> tokenFetch_;       // the latest fetch on a worker; ready once it ends

  bool usesLocalEngine() const;
  void loadLocalEngine(ui::FormHandle answerForm, std::function<void(bool held)> done);
  void recognizeLocally(ui::FormHandle answerForm, std::string bmp);
  platform::OneShots workers_;  // last: its gate closes before the rest goes
};

// Test setting: with QUORVIX_KEEP_SELECTION set, each finished screenshot selection is also
// written to "selection.bmp" in the run directory, as the recognition receives it.
void keepSelectionForTests(const std::filesystem::path& runDirectory, const std::string& bmp);

// Test setting: with QUORVIX_COUNT_RECOGNITIONS set, each recognition region watch makes adds a
// line to "recognitions.txt" in the run directory. Any thread.
void countRecognitionForTests(const std::filesystem::path& runDirectory,
                              const capture::Recognition& recognition);

}  // namespace app
