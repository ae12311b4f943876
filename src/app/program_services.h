// The services the program runs with: the bank store, the import and the answer form over one
// record database, screenshot and drag-select capture, and the program's one OCR client.
#pragma once
#include <filesystem>
#include <memory>

#include "app/controllers/answer_controller.h"
#include "app/controllers/bank_controller.h"
#include "app/controllers/capture_controller.h"
#include "app/controllers/import_controller.h"
#include "app/controllers/network_date.h"
#include "app/controllers/ocr_settings_controller.h"
#include "app/controllers/screenshot_recognition.h"
#include "app/controllers/shell_services.h"
#include "capture/ocr_client.h"

namespace app {

class ProgramServices final : public SkinServices, public CaptureServices {
 public:
  explicit ProgramServices(std::filesystem::path runDirectory);

  ShellServices shellServices();

  void applySkin() override;
  void createCaptureState() override {}
  void wireAnswerCapture(AnswerForm& form) override { capture_.wireAnswerForm(form); }
  void releaseCaptureHook() override { capture_.releaseAnswerForm(); }
  void wireOcrSettingsForm(OcrSettingsForm& form) override { ocrSettings_.wire(form); }

  // The program's one OCR client: it holds the access token for the whole run. Workers keep
  // it alive for as long as they use it.
  std::shared_ptr<capture::OcrClient> ocrClient() const { return ocr_; }

 private:
  BankController banks_;
  ImportController import_{banks_};
  AnswerController answer_{banks_};
  NetworkDateController date_;
  std::shared_ptr<capture::OcrClient> ocr_;
  OcrSettingsController ocrSettings_;
  OcrScreenshotRecognition recognition_;
  CaptureController capture_{recognition_};
};

// The binding's fatal stop as the program makes it: the message, then the end of the process.
[[noreturn]] void stopForMissingFunction(const char* libraryFile, const char* function);

// The whole program over a backend: installs it on this thread, runs the shell with the
// program's services until the last form is destroyed, and returns the exit code.
int runProgram(ui::Backend& backend);

}  // namespace app
