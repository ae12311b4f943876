// The working end of the answer form: searching the answer bank for the keyword in 编辑框1,
// the result rows in the hidden list 超级列表框_题库, one result shown at a time, stepping
// through them and deleting the shown question from the bank.
//
// Everything here runs on the user-interface thread except the bank work itself, which goes to
// the bank worker and comes back through ui::post. A search takes the keyword, the bank path
// and the record count when it starts, so nothing it does on the worker touches a control.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/forms/answer_form.h"
#include "search/bank_search.h"
#include "search/bank_worker.h"
#include "search/shared_bank.h"

namespace app {

// What the answer form needs of the bank store.
struct AnswerBank {
  search::SharedBank& shared;
  search::BankWorker& worker;
  // answerBankPath as the bank chooser left it; read on the user-interface thread.
  std::function<std::filesystem::path()> answerBankPath;
};

class SearchSession : public std::enable_shared_from_this<SearchSession> {
 public:
  // Attaches search, navigation and deletion to the form's controls. Call before the form is
  // created; the form's handlers keep the session alive as long as the form lives.
  static std::shared_ptr<SearchSession> attach(AnswerForm& form, AnswerBank bank);
  // The session of a live answer form, or null (user-interface thread).
  static std::shared_ptr<SearchSession> of(ui::FormHandle form);

  SearchSession(AnswerForm& form, AnswerBank bank);

  // AnswerForm start: the record count of the bank that openForAnswering left current.
  void loadRecordCount();
  void search();
  void showResult(int row);
  void previousResult();
  void nextResult();
  void deleteResult();
  void setStatus(const std::string& text);

  // Closes the bank on the worker after the work handed in before; the next search opens it
  // again (capture stopping).
  void closeBank();

  // The form is done with the bank: closes it on the worker and hands no more work to it.
  // `closed` then runs on the user-interface thread with whether the bank is still open; if
  // it is, the form keeps working with it.
  void handBackBank(std::function<void(bool stillOpen)> closed = {});

  AnswerForm& form() { return form_; }
  int bankRecordCount() const { return bankRecordCount_; }
  int matchCount() const { return matchCount_; }

 private:
  void applySearch(const search::SearchResult& result);
  void showPosition();
  // Posts `work` back to this session on the user-interface thread, if the form still lives.
  std::function<void(std::function<void(SearchSession&)>)> poster();

  AnswerForm& form_;
  AnswerBank bank_;
  std::int32_t bankRecordCount_ = 0;
  int matchCount_ = 0;
  // The rows the list shows, as read from the bank: a deletion checks the record against
  // them, since the list cells pass through the window system's text conversion.
  std::vector<search::SearchRow> rows_;
  bool bankHandedBack_ = false;
};

// Any thread: writes `keyword` into 编辑框1 of the answer form and runs its search, on the
// user-interface thread; nothing happens when the form is gone by then.
void postKeywordSearch(ui::FormHandle answerForm, std::string keyword);

}  // namespace app
