// The program's start, the starts of the main forms and every move between forms.
//
// The shell does the flow itself and leaves each step that belongs to another subsystem to
// that subsystem's services (shell_services.h).
#pragma once
#include <functional>
#include <string>

#include "app/controllers/shell_services.h"
#include "app/forms/forms.h"

namespace app {

// The release page opened by a double click on the AnswerForm's status bar.
extern const char* const kReleasePageUrl;

// "V2.0", set when the DisclaimerForm starts; empty before.
const std::string& versionText();
// "Quorvix（Nembra专版）——byDalvenor " + versionText(), the caption of the four main forms.
std::string windowTitle();

class Shell {
 public:
  explicit Shell(ShellServices services);

  // Program start: the capture state, then the DisclaimerForm as the start form.
  void start();
  // start(), then the message loop until the last form is destroyed; the exit code.
  int run();

  DisclaimerForm& loadDisclaimer();
  BankChooserForm& loadBankChooser();
  ImportForm& loadImport();
  AnswerForm& loadAnswer();
  OcrSettingsForm& loadOcrSettings();

 private:
  // Loads the next form, lets messages run for 10 ms unless told not to wait, then destroys
  // `current` once its handler has returned. `current` ignores clicks from the start.
  void moveOn(ui::Form& current, const std::function<void()>& loadNext, bool wait = true);

  void startDisclaimer(DisclaimerForm& form);
  void startBankChooser(BankChooserForm& form);
  void startImport(ImportForm& form);
  void startAnswer(AnswerForm& form);
  void leaveAnswer(AnswerForm& form);

  ShellServices services_;
};

}  // namespace app
