// The answer form's controllers over the bank the chooser opened: search, navigation, deletion
// (SearchSession) and the floating options.
#pragma once
#include <memory>

#include "app/controllers/bank_controller.h"
#include "app/controllers/search_session.h"
#include "app/controllers/shell_services.h"

namespace app {

class AnswerController final : public AnswerServices {
 public:
  // The bank controller outlives every answer form.
  explicit AnswerController(BankController& banks) : banks_(banks) {}

  void wireAnswerForm(AnswerForm& form) override;
  void loadRecordCount(AnswerForm& form) override;
  void closeAnswerBank(AnswerForm& form, std::function<void(bool stillOpen)> closed) override;

 private:
  BankController& banks_;
};

}  // namespace app
