#include "app/controllers/bank_controller.h"

#include <string>
#include <utility>

#include "app/controllers/bank_chooser.h"
#include "app/controllers/bank_texts.h"
#include "app/controllers/program_text.h"
#include "platform/cp936.h"
#include "ui/system.h"

namespace app {
namespace {

namespace texts = bank_texts;

bool confirmed(const std::string& text) {
  return ui::messageBox(text, ui::mb::kOkCancel) == ui::mb::kIdOk;
}

}  // namespace

BankController::BankController(std::filesystem::path runDirectory)
    : questionBank_(database_, std::move(runDirectory)), sharedBank_(database_) {}

void BankController::ensureBankFolder() { questionBank_.ensureBankFolder(); }

void BankController::listBanks(ui::ComboBox& chooser) {
  addBanks(chooser, questionBank_.listBanks());
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
  const std::string shown = chooser.text();
  if (!confirmed(gbk(texts::kConfirmDeleteBefore) + shown + gbk(texts::kConfirmDeleteAfter)))
    return;
  int error = bank::kOk;
  sharedBank_.use([&](bank::RecordDatabase&) {
    if (!questionBank_.deleteBank(path)) error = questionBank_.lastError();
  });
  // A bank that was not there is gone all the same; one held elsewhere is worth a word.
  if (error != bank::kOk && error != bank::kFileNotFound)
    ui::messageBox(texts::bankChangeFailedText(shown, error, texts::kDeleteFailedAfter));
  chooser.clear();
  listBanks(chooser);
}

bool BankController::openForAnswering(BankChooserForm& form) {
  const auto outcome = sharedBank_.use([&](bank::RecordDatabase&) {
    return questionBank_.openForAnswering(choiceOf(form.组合框1));
  });
  switch (outcome) {
    case bank::AnsweringOutcome::opened:
      return true;
    case bank::AnsweringOutcome::openFailed:
      ui::messageBox(gbk(texts::kOpenFailed));
      return false;
    case bank::AnsweringOutcome::empty:
      ui::messageBox(gbk(texts::kBankEmpty));
      return false;
  }
  return false;
}

void BankController::clearBank(ui::ComboBox& chooser) {
  if (!bankChosen(chooser)) return;
  const auto path = questionBank_.bankPathOf(choiceOf(chooser));
  questionBank_.setTargetBankPath(path);
  const std::string shown = chooser.text();
  if (!confirmed(gbk(texts::kConfirmClearBefore) + shown + gbk(texts::kConfirmClearAfter))) return;
  int error = bank::kOk;
  sharedBank_.use([&](bank::RecordDatabase&) {
    if (!questionBank_.clearBank(path)) error = questionBank_.lastError();
  });
  ui::messageBox(error == bank::kOk
                     ? texts::bankClearedText(shown)
                     : texts::bankChangeFailedText(shown, error, texts::kClearFailedAfter));
}

}  // namespace app
