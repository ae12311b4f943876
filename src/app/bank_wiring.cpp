#include "app/bank_wiring.h"

#include <string>
#include <utility>

#include "answer/form_options.h"
#include "app/import_wiring.h"
#include "ui/system.h"

namespace app {

BankWiring::BankWiring(std::filesystem::path runDirectory)
    : questionBank_(database_, prompts_, std::move(runDirectory)), sharedBank_(database_) {}

void BankWiring::install(ShellHooks& hooks, const std::shared_ptr<BankWiring>& wiring) {
  auto& bank = wiring->questionBank_;
  auto& shared = wiring->sharedBank_;
  hooks.ensureBankFolder = [wiring, &bank] { bank.ensureBankFolder(); };
  hooks.listBanks = [wiring, &bank](ui::ComboBox& combo) {
    ComboBoxChooser chooser(combo);
    bank.listBanks(chooser);
  };
  hooks.bankSelected = [wiring, &bank](BankChooserForm& form) {
    bank.selectAnswerBank(ComboBoxChooser(form.组合框1));
  };
  hooks.deleteBank = [wiring, &bank, &shared](BankChooserForm& form) {
    ComboBoxChooser chooser(form.组合框1);
    shared.use([&](bank::RecordDatabase&) { bank.deleteBank(chooser); });
  };
  hooks.openForAnswering = [wiring, &bank, &shared](BankChooserForm& form) {
    ComboBoxChooser chooser(form.组合框1);
    return shared.use([&](bank::RecordDatabase&) { return bank.openForAnswering(chooser); });
  };
  hooks.wireImportForm = [wiring, &bank, &shared](ImportForm& form) {
    app::wireImportForm(form, bank, shared);
  };
  hooks.wireAnswerForm = [wiring](AnswerForm& form) { wiring->wireAnswerForm(form); };
  hooks.loadRecordCount = [wiring](AnswerForm& form) {
    if (auto session = answer::SearchSession::of(form.handle())) session->loadRecordCount();
  };
  hooks.closeAnswerBank = [wiring] { wiring->closeAnswerBank(); };
  hooks.closeAnswerBankThen = [wiring](AnswerForm& form, std::function<void(bool)> closed) {
    wiring->closeAnswerBankThen(form, std::move(closed));
  };
}

void BankWiring::wireAnswerForm(AnswerForm& form) {
  answerSession_ = answer::SearchSession::attach(
      form, {sharedBank_, worker_, [this] { return questionBank_.answerBankPath(); }});
  answer::attachFormOptions(form);
}

void BankWiring::closeAnswerBank() {
  if (auto session = answerSession_.lock()) {
    session->handBackBank();
    return;
  }
  worker_.submit([this, path = questionBank_.answerBankPath()] {
    sharedBank_.use([&](bank::RecordDatabase& db) { db.closeDatabase(path); });
  });
}

void BankWiring::closeAnswerBankThen(AnswerForm& form, std::function<void(bool)> closed) {
  if (auto session = answer::SearchSession::of(form.handle())) {
    session->handBackBank(std::move(closed));
    return;
  }
  closeAnswerBank();
  closed(false);
}

}  // namespace app
