// The import form's operations: choosing the target bank, opening a workbook into the table,
// importing the table into a bank and emptying a bank.
#pragma once
#include "app/controllers/bank_controller.h"
#include "app/controllers/shell_services.h"

namespace app {

class ImportController final : public ImportServices {
 public:
  // The bank controller outlives every import form.
  explicit ImportController(BankController& banks) : banks_(banks) {}

  // Attaches the handlers of the form's buttons and radio buttons.
  void wireImportForm(ImportForm& form) override;

 private:
  void openWorkbook(ImportForm& form);
  void importTable(ImportForm& form);
  std::filesystem::path importTarget(ImportForm& form);

  BankController& banks_;
};

}  // namespace app
