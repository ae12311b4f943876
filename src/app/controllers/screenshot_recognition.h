// Screenshot capture's OCR side as the program runs it: the token fetched from the stored keys
// on a worker, the settings form when none comes, and each selection recognised into the
// answer form through the program's one OCR client.
#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/controllers/capture_controller.h"
#include "capture/ocr_client.h"
#include "platform/worker.h"

namespace app {

class OcrScreenshotRecognition final : public ScreenshotRecognition {
 public:
  OcrScreenshotRecognition(std::shared_ptr<capture::OcrClient> ocr,
                           std::filesystem::path runDirectory,
                           std::function<void()> openSettingsForm);

  // A token already held is enough; otherwise one is fetched on a worker so that the answer
  // form keeps answering for as long as the service takes. A refusal or an unreachable
  // service is said in a short notice before the settings form opens.
  void fetchToken(ui::FormHandle answerForm, std::function<void(bool held)> done) override;
  void openSettings() override { openSettingsForm_(); }
  void recognize(ui::FormHandle answerForm, std::string bmp) override;

 private:
  std::shared_ptr<capture::OcrClient> ocr_;
  std::filesystem::path runDirectory_;
  std::function<void()> openSettingsForm_;
  platform::OneShots workers_;  // last: its gate closes before the rest goes
};

// Test setting: with QUORVIX_KEEP_SELECTION set, each finished screenshot selection is also
// written to "selection.bmp" in the run directory, as the recognition receives it.
void keepSelectionForTests(const std::filesystem::path& runDirectory, const std::string& bmp);

}  // namespace app
