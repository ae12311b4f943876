// The bank store behind the forms: the bank chooser's and the import form's bank buttons, the
// bank folder and listings at the form starts, and the answer form's search and options over
// the bank it opened. One for the program; the shell's hooks share it.
#pragma once
#include <filesystem>
#include <memory>

#include "answer/bank_worker.h"
#include "answer/search_session.h"
#include "answer/shared_bank.h"
#include "app/bank_adapters.h"
#include "app/shell.h"
#include "bank/question_bank.h"

namespace app {

class BankWiring {
 public:
  explicit BankWiring(std::filesystem::path runDirectory);
  BankWiring(const BankWiring&) = delete;
  BankWiring& operator=(const BankWiring&) = delete;

  // Points the shell's bank hooks at `wiring`, which they keep alive.
  static void install(ShellHooks& hooks, const std::shared_ptr<BankWiring>& wiring);

  bank::QuestionBank& questionBank() { return questionBank_; }
  answer::SharedBank& sharedBank() { return sharedBank_; }
  answer::BankWorker& worker() { return worker_; }

 private:
  void wireAnswerForm(AnswerForm& form);
  void closeAnswerBank();
  void closeAnswerBankThen(AnswerForm& form, std::function<void(bool)> closed);

  bank::RecordDatabase database_;
  MessageBoxPrompts prompts_;
  bank::QuestionBank questionBank_;
  answer::SharedBank sharedBank_;
  std::weak_ptr<answer::SearchSession> answerSession_;
  answer::BankWorker worker_;  // last: it finishes its work while the bank still exists
};

}  // namespace app
