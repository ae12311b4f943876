#include "app/controllers/answer_controller.h"

#include <utility>

#include "app/controllers/answer_options.h"

namespace app {

void AnswerController::wireAnswerForm(AnswerForm& form) {
  SearchSession::attach(form, {banks_.sharedBank(), banks_.worker(),
                               [this] { return banks_.questionBank().answerBankPath(); }});
  attachFormOptions(form);
}

void AnswerController::loadRecordCount(AnswerForm& form) {
  if (auto session = SearchSession::of(form.handle())) session->loadRecordCount();
}

void AnswerController::closeAnswerBank(AnswerForm& form,
                                       std::function<void(bool stillOpen)> closed) {
  if (auto session = SearchSession::of(form.handle())) {
    session->handBackBank(std::move(closed));
    return;
  }
  // A form without a session never searched: close the bank after the work handed in before.
  banks_.worker().submit([this, path = banks_.questionBank().answerBankPath()] {
    banks_.sharedBank().use([&](bank::RecordDatabase& db) { db.closeDatabase(path); });
  });
  if (closed) closed(false);
}

}  // namespace app
