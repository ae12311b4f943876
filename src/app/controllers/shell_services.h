// What the shell leaves to the other subsystems: one small interface each. The program's own
// are made by ProgramServices (program_services.h); tests pass their own.
#pragma once
#include <functional>

#include "app/forms/forms.h"

namespace app {

// The start form's skin.
class SkinServices {
 public:
  virtual ~SkinServices() = default;
  virtual void applySkin() = 0;
};

// The bank store behind the bank chooser and the import form's chooser.
class BankServices {
 public:
  virtual ~BankServices() = default;
  virtual void ensureBankFolder() = 0;
  virtual void listBanks(ui::ComboBox& chooser) = 0;
  // Selects, among the listed banks, the one the answer form used last, so that 返回 comes back
  // to it; the selection stays where it is when there is none.
  virtual void selectLastAnswerBank(ui::ComboBox& /*chooser*/) {}
  virtual void bankSelected(BankChooserForm& form) = 0;
  virtual void deleteBank(BankChooserForm& form) = 0;
  // Writes the chosen bank to a file the user names, off the user-interface thread, and says
  // where it went and how many pairs, or why not.
  virtual void exportBank(BankChooserForm& /*form*/) {}
  // Opens the chosen bank off the user-interface thread; back on it, tells the user when it
  // cannot, or calls `opened` (as an event of the form, not at all once it is gone) when the
  // answer form may start with the bank open.
  virtual void openForAnswering(BankChooserForm& form, std::function<void()> opened) = 0;
};

// The import form's workbook and bank buttons.
class ImportServices {
 public:
  virtual ~ImportServices() = default;
  // Attaches the handlers of the controls the shell leaves alone, before the form is created.
  virtual void wireImportForm(ImportForm& form) = 0;
};

// The answer form's search, navigation, deletion and options over the bank it opened.
class AnswerServices {
 public:
  virtual ~AnswerServices() = default;
  // Attaches the handlers of the controls the shell leaves alone, before the form is created.
  virtual void wireAnswerForm(AnswerForm& form) = 0;
  // Answer form start: the record count into 透明标签1.
  virtual void loadRecordCount(AnswerForm& form) = 0;
  // Closes the answer bank after the bank work handed in before it, then calls `closed` (when
  // given) on the user-interface thread with whether the bank is still open.
  virtual void closeAnswerBank(AnswerForm& form, std::function<void(bool stillOpen)> closed) = 0;
};

// Capture modes, hotkeys and the OCR settings form.
class CaptureServices {
 public:
  virtual ~CaptureServices() = default;
  // Program start: the empty state of the capture mode.
  virtual void createCaptureState() = 0;
  // Answer form start: the capture controls and the hotkeys' dispatch, attached before the
  // form is created and after the answer services have wired it.
  virtual void wireAnswerCapture(AnswerForm&) {}
  // Answer form destruction: the mouse hook and the hotkeys are released.
  virtual void releaseCaptureHook() = 0;
  virtual void wireOcrSettingsForm(OcrSettingsForm& form) = 0;
};

// A date for the answer form's status bar: a web server's, or the local clock's when no server
// answered.
struct DateReading {
  double date = 0;  // a variant date, UTC+8
  bool fromServer = false;
};

// The current date for the answer form's status bar.
class DateServices {
 public:
  virtual ~DateServices() = default;
  // Asks for the date without making the form wait; `arrived` runs on the user-interface thread,
  // now or later, unless the form is gone by then.
  virtual void fetchNetworkDate(AnswerForm& form,
                                std::function<void(const DateReading&)> arrived) = 0;
};

struct ShellServices {
  SkinServices& skin;
  BankServices& banks;
  ImportServices& import;
  AnswerServices& answer;
  CaptureServices& capture;
  DateServices& date;
};

}  // namespace app
