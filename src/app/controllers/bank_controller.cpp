#include "app/controllers/bank_controller.h"

#include <string>
#include <utility>

#include "app/controllers/bank_chooser.h"
#include "app/controllers/bank_export_choice.h"
#include "app/controllers/bank_texts.h"
#include "app/controllers/program_text.h"
#include "import/bank_export.h"
#include "platform/cp936.h"
#include "platform/user_folders.h"
#include "ui/system.h"
#include "ui/toolkit.h"

namespace app {
namespace {

namespace texts = bank_texts;

bool confirmed(const std::u16string& text) {
  return ui::messageBoxWide(text, ui::mb::kOkCancel) == ui::mb::kIdOk;
}

}  // namespace

BankController::BankController(std::filesystem::path runDirectory)
    : questionBank_(database_, std::move(runDirectory)), sharedBank_(database_) {}

void BankController::ensureBankFolder() { questionBank_.ensureBankFolder(); }

void BankController::listBanks(ui::ComboBox& chooser) {
  addBanks(chooser, questionBank_.listBanks());
}

void BankController::selectLastAnswerBank(ui::ComboBox& chooser) {
  selectBank(chooser, questionBank_.answerBankPath().filename());
}

void BankController::bankSelected(BankChooserForm& form) {
  questionBank_.selectAnswerBank(choiceOf(form.组合框1));
}

// Nothing in the chooser's box names no bank: say so rather than act on the folder itself.
bool BankController::bankChosen(const ui::ComboBox& chooser) {
  if (!choiceOf(chooser).shownText.empty()) return true;
  ui::messageBox(gbk(texts::kNoBankChosen));
  return false;
}

void BankController::deleteBank(BankChooserForm& form) {
  ui::ComboBox& chooser = form.组合框1;
  if (!bankChosen(chooser)) return;
  const auto path = questionBank_.bankPathOf(choiceOf(chooser));
  questionBank_.setTargetBankPath(path);
  const std::u16string shown = chooser.textUtf16();
  if (!confirmed(texts::confirmDeleteText(shown))) return;
  worker_.submit([this, path, shown, handle = form.handle()] {
    const int error = sharedBank_.use([&](bank::RecordDatabase&) {
      return questionBank_.deleteBank(path) ? bank::kOk : questionBank_.lastError();
    });
    ui::post(*worker_.gate(), handle, [this, handle, shown, error] {
      auto* form = dynamic_cast<BankChooserForm*>(ui::findForm(handle));
      if (!form) return;
      // A bank that was not there is gone all the same; one held elsewhere is worth a word.
      if (error != bank::kOk && error != bank::kFileNotFound)
        ui::messageBoxWide(texts::bankChangeFailedText(shown, error, texts::kDeleteFailedAfter));
      form->组合框1.clear();
      listBanks(form->组合框1);
    });
  });
}

void BankController::exportBank(BankChooserForm& form) {
  ui::ComboBox& chooser = form.组合框1;
  if (!bankChosen(chooser)) return;
  const auto bankPath = questionBank_.bankPathOf(choiceOf(chooser));
  const ui::SaveFileChoice chosen =
      ui::chooseSaveFile(exportSaveRequest(bankPath, platform::desktopFolder()));
  if (chosen.file.empty()) return;
  const auto format = exportFormatOf(chosen);
  if (!format) {
    ui::messageBox(gbk(texts::kExportUnknownType));
    return;
  }
  importer::ExportOptions options;
  options.format = *format;
  options.overwrite = true;  // the save dialog has asked about an existing file
  options.libraryFolder = questionBank_.bankFolder().parent_path();
  form.按钮_导出题库.setEnabled(false);
  worker_.submit([this, bankPath, target = chosen.file, options, handle = form.handle()] {
    const auto outcome = sharedBank_.use([&](bank::RecordDatabase& database) {
      return importer::exportBank(database, bankPath, target, options);
    });
    ui::post(*worker_.gate(), handle, [handle, outcome, target] {
      auto* form = dynamic_cast<BankChooserForm*>(ui::findForm(handle));
      if (!form) return;
      form->按钮_导出题库.setEnabled(true);
      ui::messageBox(exportOutcomeText(outcome, target));
    });
  });
}

void BankController::openForAnswering(BankChooserForm& form, std::function<void()> opened) {
  const auto path = questionBank_.chooseAnswerBank(choiceOf(form.组合框1));
  worker_.submit([this, path, handle = form.handle(), opened = std::move(opened)] {
    const auto outcome =
        sharedBank_.use([&](bank::RecordDatabase&) { return questionBank_.openAnswerBank(path); });
    ui::post(*worker_.gate(), handle, [outcome, opened] {
      switch (outcome) {
        case bank::AnsweringOutcome::opened:
          opened();
          return;
        case bank::AnsweringOutcome::openFailed:
          ui::messageBox(gbk(texts::kOpenFailed));
          return;
        case bank::AnsweringOutcome::empty:
          ui::messageBox(gbk(texts::kBankEmpty));
          return;
      }
    });
  });
}

void BankController::clearBank(ui::ComboBox& chooser) {
  if (!bankChosen(chooser)) return;
  const auto path = questionBank_.bankPathOf(choiceOf(chooser));
  questionBank_.setTargetBankPath(path);
  const std::u16string shown = chooser.textUtf16();
  if (!confirmed(texts::confirmClearText(shown))) return;
  worker_.submit([this, path, shown, handle = chooser.form().handle()] {
    const int error = sharedBank_.use([&](bank::RecordDatabase&) {
      return questionBank_.clearBank(path) ? bank::kOk : questionBank_.lastError();
    });
    ui::post(*worker_.gate(), handle, [shown, error] {
      ui::messageBoxWide(error == bank::kOk
                             ? texts::bankClearedText(shown)
                             : texts::bankChangeFailedText(shown, error, texts::kClearFailedAfter));
    });
  });
}

}  // namespace app
