// The import form's operations: choosing the target bank, opening a workbook into the table,
// importing the table into a bank and emptying a bank. Each form gets an ImportSession; the
// work they start runs on threads this controller keeps until the program ends.
#pragma once
#include "app/controllers/background_work.h"
#include "app/controllers/bank_controller.h"
#include "app/controllers/shell_services.h"

namespace app {

class ImportController final : public ImportServices {
 public:
  // The bank controller outlives every import form and this controller.
  explicit ImportController(BankController& banks) : banks_(banks) {}

  // Attaches the handlers of the form's buttons and radio buttons.
  void wireImportForm(ImportForm& form) override;

  // No load or import is running (tests wait for it).
  bool idle() const { return work_.idle(); }

 private:
  BankController& banks_;
  BackgroundWork work_;  // last: waits for the work while the rest still exists
};

}  // namespace app
