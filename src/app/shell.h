// The program's start, the starts of the main forms and every move between forms.
//
// The shell does the flow itself and leaves each step that belongs to another subsystem to a
// named hook (ShellHooks). defaultShellHooks() gives the program's own; tests pass their own.
#pragma once
#include <functional>
#include <string>

#include "app/forms/forms.h"

namespace app {

struct ShellHooks {
  // Program start: the empty state of the capture mode's hook.
  std::function<void()> createCaptureState;

  // DisclaimerForm start.
  std::function<void()> applySkin;

  // BankChooserForm start, and ImportForm start (listBanks only).
  std::function<void()> ensureBankFolder;
  std::function<void(ui::ComboBox& chooser)> listBanks;

  // BankChooserForm controls. openForAnswering opens the chosen bank and reports its own
  // failures; true means the bank is open and the AnswerForm is to start.
  std::function<void(BankChooserForm&)> bankSelected;
  std::function<void(BankChooserForm&)> deleteBank;
  std::function<bool(BankChooserForm&)> openForAnswering;

  // AnswerForm start: the record count into 透明标签1, and the network date for the status.
  std::function<void(AnswerForm&)> loadRecordCount;
  std::function<double()> fetchNetworkDate;  // a variant date
  // AnswerForm 按钮_返回 and destruction: closeDatabase and isOpen with answerBankPath.
  std::function<void()> closeAnswerBank;
  std::function<bool()> answerBankIsOpen;
  // AnswerForm 按钮_返回 when the bank is closed on a worker: in place of the two above,
  // closes it and later calls `closed` on the UI thread with whether it is still open.
  std::function<void(AnswerForm&, std::function<void(bool stillOpen)> closed)> closeAnswerBankThen;
  // AnswerForm destruction: the capture mode's mouse hook is released.
  std::function<void()> releaseCaptureHook;

  // Handlers of the other subsystems for the controls the shell does not handle, attached
  // before the form is created. They must leave onCreated and onDestroying to the shell.
  std::function<void(ImportForm&)> wireImportForm;
  std::function<void(AnswerForm&)> wireAnswerForm;
  std::function<void(OcrSettingsForm&)> wireOcrSettingsForm;
};

// The hooks the program runs with.
ShellHooks defaultShellHooks();

// The release page opened by a double click on the AnswerForm's status bar.
extern const char* const kReleasePageUrl;

// "V2.0", set when the DisclaimerForm starts; empty before.
const std::string& versionText();
// "Quorvix（Nembra专版）——byDalvenor " + versionText(), the caption of the four main forms.
std::string windowTitle();

// The whole program over a backend: installs it on this thread, runs the shell with the
// default hooks until the last form is destroyed, and returns the exit code.
int runProgram(ui::Backend& backend);

class Shell {
 public:
  explicit Shell(ShellHooks hooks);

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

  ShellHooks hooks_;
};

}  // namespace app
