// The services the program runs with: the bank store, the import and the answer form over one
// record database, and the steps of the subsystems that are still to come.
#pragma once
#include <filesystem>

#include "app/controllers/answer_controller.h"
#include "app/controllers/bank_controller.h"
#include "app/controllers/capture_controller.h"
#include "app/controllers/import_controller.h"
#include "app/controllers/shell_services.h"

namespace app {

class ProgramServices final : public SkinServices,
                              public CaptureServices,
                              public DateServices,
                              private ScreenshotRecognition {
 public:
  explicit ProgramServices(std::filesystem::path runDirectory);

  ShellServices shellServices();

  void applySkin() override;
  void createCaptureState() override {}
  void wireAnswerCapture(AnswerForm& form) override { capture_.wireAnswerForm(form); }
  void releaseCaptureHook() override { capture_.releaseAnswerForm(); }
  void wireOcrSettingsForm(OcrSettingsForm&) override {}
  void fetchNetworkDate(AnswerForm& form, std::function<void(double date)> arrived) override;

 private:
  // Screenshot recognition, until the OCR client is connected: every token counts as held and
  // a selection goes nowhere (but to the test setting's file).
  void fetchToken(std::function<void(bool held)> done) override { done(true); }
  void openSettings() override;
  void recognize(ui::FormHandle answerForm, std::string bmp) override;

  std::filesystem::path runDirectory_;
  BankController banks_;
  ImportController import_{banks_};
  AnswerController answer_{banks_};
  CaptureController capture_{*this};
};

// Test setting: with QUORVIX_KEEP_SELECTION set, each finished screenshot selection is also
// written to "selection.bmp" in the run directory, as the recognition receives it.
void keepSelectionForTests(const std::filesystem::path& runDirectory, const std::string& bmp);

// The binding's fatal stop as the program makes it: the message, then the end of the process.
[[noreturn]] void stopForMissingFunction(const char* libraryFile, const char* function);

// The whole program over a backend: installs it on this thread, runs the shell with the
// program's services until the last form is destroyed, and returns the exit code.
int runProgram(ui::Backend& backend);

}  // namespace app
