#include "app/controllers/bank_controller.h"

#include <string>
#include <utility>

#include "app/controllers/bank_chooser.h"
#include "app/controllers/bank_texts.h"
#include "platform/cp936.h"
#include "ui/system.h"

namespace app {
namespace {

namespace texts = bank_texts;

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

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

void BankController::deleteBank(BankChooserForm& form) {
  ui::ComboBox& chooser = form.组合框1;
  const auto path = questionBank_.bankPathOf(choiceOf(chooser));
  questionBank_.setTargetBankPath(path);
  if (!confirmed(gbk(texts::kConfirmDeleteBefore) + chooser.text() +
                 gbk(texts::kConfirmDeleteAfter)))
    return;
  sharedBank_.use([&](bank::RecordDatabase&) { return questionBank_.deleteBank(path); });
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
  const auto path = questionBank_.bankPathOf(choiceOf(chooser));
  questionBank_.setTargetBankPath(path);
  const std::string shown = chooser.text();
  if (!confirmed(gbk(texts::kConfirmClearBefore) + shown + gbk(texts::kConfirmClearAfter))) return;
  bool cleared =
      sharedBank_.use([&](bank::RecordDatabase&) { return questionBank_.clearBank(path); });
  ui::messageBox(gbk(texts::kClearedBefore) + shown +
                 gbk(cleared ? texts::kClearedAfter : texts::kClearFailedAfter));
}

}  // namespace app
