#include "app/bank_wiring.h"

#include <string>
#include <utility>

#include "answer/form_options.h"
#include "ui/system.h"

namespace app {

void ToolkitPrompts::showMessage(const std::string& text) { ui::messageBox(text); }

bool ToolkitPrompts::confirm(const std::string& text) {
  return ui::messageBox(text, ui::mb::kOkCancel) == ui::mb::kIdOk;
}

void ComboChooser::clear() { combo_.clear(); }

void ComboChooser::addItem(const std::string& text, const std::filesystem::path& fileName) {
  std::u8string name = fileName.u8string();
  combo_.addItem(text, std::string(name.begin(), name.end()));
}

void ComboChooser::select(int index) { combo_.setSelectedIndex(index); }

int ComboChooser::selectedIndex() const { return combo_.selectedIndex(); }

std::string ComboChooser::text() const { return combo_.text(); }

std::filesystem::path ComboChooser::itemFile(int index) const {
  std::string data = combo_.itemData(index);
  return std::filesystem::path(std::u8string(data.begin(), data.end()));
}

BankWiring::BankWiring(std::filesystem::path runDirectory)
    : questionBank_(database_, prompts_, std::move(runDirectory)), sharedBank_(database_) {}

void BankWiring::install(ShellHooks& hooks, const std::shared_ptr<BankWiring>& wiring) {
  auto& bank = wiring->questionBank_;
  auto& shared = wiring->sharedBank_;
  hooks.ensureBankFolder = [wiring, &bank] { bank.ensureBankFolder(); };
  hooks.listBanks = [wiring, &bank](ui::ComboBox& combo) {
    ComboChooser chooser(combo);
    bank.listBanks(chooser);
  };
  hooks.bankSelected = [wiring, &bank](BankChooserForm& form) {
    bank.selectAnswerBank(ComboChooser(form.组合框1));
  };
  hooks.deleteBank = [wiring, &bank, &shared](BankChooserForm& form) {
    ComboChooser chooser(form.组合框1);
    shared.use([&](bank::RecordDatabase&) { bank.deleteBank(chooser); });
  };
  hooks.openForAnswering = [wiring, &bank, &shared](BankChooserForm& form) {
    ComboChooser chooser(form.组合框1);
    return shared.use([&](bank::RecordDatabase&) { return bank.openForAnswering(chooser); });
  };
  hooks.wireImportForm = [wiring, &bank, &shared](ImportForm& form) {
    form.按钮_清空数据库.onClick = [&form, &bank, &shared] {
      ComboChooser chooser(form.组合框1);
      shared.use([&](bank::RecordDatabase&) { bank.clearBank(chooser); });
    };
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
