// The hooks the program runs with: the bank store behind the choosers and the answer form's
// bank. Steps whose subsystem has not landed yet keep a small stand-in here, named after the
// step it stands for.
#include <memory>
#include <string>

#include "app/bank_adapters.h"
#include "app/date_text.h"
#include "app/shell.h"
#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "platform/cp936.h"
#include "platform/run_directory.h"

namespace app {
namespace {

// The program's one record database and the bank store over it, shared by the hooks.
struct ProgramBank {
  bank::RecordDatabase database;
  MessageBoxPrompts prompts;
  bank::QuestionBank store{database, prompts, platform::runDirectory()};
};

// Loading the record count: "共有" + the open bank's record count + "题".
void loadRecordCountStandIn(bank::RecordDatabase& database, AnswerForm& form) {
  std::int32_t count = database.recordCount();
  form.透明标签1.setCaption(cp936::fromUtf8("共有" + std::to_string(count) + "题"));
}

}  // namespace

ShellHooks defaultShellHooks() {
  auto bank = std::make_shared<ProgramBank>();
  ShellHooks hooks;
  hooks.ensureBankFolder = [bank] { bank->store.ensureBankFolder(); };
  hooks.listBanks = [bank](ui::ComboBox& combo) {
    ComboBoxChooser chooser(combo);
    bank->store.listBanks(chooser);
  };
  hooks.bankSelected = [bank](BankChooserForm& form) {
    bank->store.selectAnswerBank(ComboBoxChooser(form.组合框1));
  };
  hooks.deleteBank = [bank](BankChooserForm& form) {
    ComboBoxChooser chooser(form.组合框1);
    bank->store.deleteBank(chooser);
  };
  hooks.openForAnswering = [bank](BankChooserForm& form) {
    return bank->store.openForAnswering(ComboBoxChooser(form.组合框1));
  };
  hooks.loadRecordCount = [bank](AnswerForm& form) {
    loadRecordCountStandIn(bank->database, form);
  };
  hooks.fetchNetworkDate = currentVariantDateUtc8;
  hooks.closeAnswerBank = [bank] { bank->database.closeDatabase(bank->store.answerBankPath()); };
  hooks.answerBankIsOpen = [bank] { return bank->database.isOpen(bank->store.answerBankPath()); };
  return hooks;
}

}  // namespace app
