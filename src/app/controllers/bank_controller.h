// The bank store behind the forms: the bank chooser's buttons, the import form's 清空题库, and
// the one record database, shared bank and bank worker that the answer form and the import
// use. One for the program.
#pragma once
#include <filesystem>

#include "app/controllers/shell_services.h"
#include "bank/question_bank.h"
#include "search/bank_worker.h"
#include "search/shared_bank.h"

namespace app {

class BankController final : public BankServices {
 public:
  explicit BankController(std::filesystem::path runDirectory);
  BankController(const BankController&) = delete;
  BankController& operator=(const BankController&) = delete;

  void ensureBankFolder() override;
  void listBanks(ui::ComboBox& chooser) override;
  void selectLastAnswerBank(ui::ComboBox& chooser) override;
  void bankSelected(BankChooserForm& form) override;
  void deleteBank(BankChooserForm& form) override;
  void exportBank(BankChooserForm& form) override;
  void openForAnswering(BankChooserForm& form, std::function<void()> opened) override;
  // The import form's 按钮_清空数据库 on its chooser.
  void clearBank(ui::ComboBox& chooser);

  bank::QuestionBank& questionBank() { return questionBank_; }
  search::SharedBank& sharedBank() { return sharedBank_; }
  search::BankWorker& worker() { return worker_; }

 private:
  bool bankChosen(const ui::ComboBox& chooser);

  bank::RecordDatabase database_;
  bank::QuestionBank questionBank_;
  search::SharedBank sharedBank_;
  // Last: it finishes its work while the bank still exists, and its gate closes before the
  // rest goes, so no outcome of it reaches a form after this is gone.
  search::BankWorker worker_;
};

}  // namespace app
