// The import form's operations: choosing the target bank, opening a workbook into the table,
// importing the table into a bank and emptying a bank.
#pragma once
#include "answer/shared_bank.h"
#include "app/forms/import_form.h"
#include "bank/question_bank.h"

namespace app {

// Attaches the handlers of the form's buttons and radio buttons. The bank store and the shared
// database outlive the form.
void wireImportForm(ImportForm& form, bank::QuestionBank& bank, answer::SharedBank& shared);

}  // namespace app
