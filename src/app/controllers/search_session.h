// The working end of the answer form: searching the answer bank for the keyword in 编辑框1
// (and, when no question holds it, for the questions most like it), the result rows that the
// hidden owner-data list 超级列表框_题库 shows, one result shown at a time, stepping through
// them and deleting the shown question from the bank.
//
// Everything here runs on the user-interface thread except the bank work itself, which goes to
// the bank worker and comes back through ui::post. A search takes the keyword, the bank path
// and the record count when it starts, so nothing it does on the worker touches a control. The
// bank's texts are kept on the worker between searches (search::BankCache).
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/forms/answer_form.h"
#include "search/bank_cache.h"
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

class SearchSession final : public std::enable_shared_from_this<SearchSession>,
                            public ui::ListRowSource {
 public:
  // Attaches search, navigation and deletion to the form's controls. Call before the form is
  // created; the form's handlers keep the session alive as long as the form lives.
  static std::shared_ptr<SearchSession> attach(AnswerForm& form, AnswerBank bank);
  // The session of a live answer form, or null (user-interface thread).
  static std::shared_ptr<SearchSession> of(ui::FormHandle form);

  SearchSession(AnswerForm& form, AnswerBank bank);

  // AnswerForm start: the record count of the bank that openForAnswering left current, read
  // on the bank worker and shown once it comes back.
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
  // The rows are questions like the keyword, not holding it.
  bool showsSimilar() const { return similar_; }

  // The list's cells: the record number, the question and the answer of a row.
  std::string cellText(int row, int column) const override;

 private:
  void applySearch(search::SearchResult result);
  // Has the bank worker build the similar index of the kept texts when it has nothing else
  // to do (bank worker thread).
  struct WorkerState;
  static void buildIndexWhenIdle(const std::shared_ptr<WorkerState>& kept,
                                 search::BankWorker& worker);
  void showPosition();
  // Posts `work` back to this session on the user-interface thread, if the form still lives.
  std::function<void(std::function<void(SearchSession&)>)> poster();

  AnswerForm& form_;
  AnswerBank bank_;
  std::int32_t bankRecordCount_ = 0;
  int matchCount_ = 0;
  // The rows the list shows, as read from the bank, and what their texts lie in; navigation
  // and deletion use them, never the list's cells.
  std::vector<search::SearchRow> rows_;
  std::shared_ptr<const void> rowTexts_;
  bool similar_ = false;
  bool bankHandedBack_ = false;
  // What the bank worker keeps for this form between its jobs; used on the worker only.
  // The bank worker's own: read and written by its jobs only.
  struct WorkerState {
    search::BankCache cache;
    bool indexQueued = false;
    std::int32_t recordCount = 0;  // the records a search scans, read when the form opened
  };
  std::shared_ptr<WorkerState> kept_ = std::make_shared<WorkerState>();
};

// Any thread: writes `keyword` into 编辑框1 of the answer form and runs its search, on the
// user-interface thread; nothing happens when the form is gone by then.
void postKeywordSearch(ui::FormHandle answerForm, std::string keyword);

}  // namespace app
