#include "app/controllers/search_session.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "app/controllers/answer_texts.h"
#include "app/controllers/timed_notice.h"
#include "bank/question_bank.h"
#include "ui/system.h"

namespace app {
namespace {

namespace texts = answer_texts;
using search::SearchOutcome;
using search::SearchResult;
using search::SearchRow;

constexpr int kEnterKey = 0x0D;

// User-interface thread only.
std::map<ui::FormHandle, std::weak_ptr<SearchSession>>& sessions() {
  static std::map<ui::FormHandle, std::weak_ptr<SearchSession>> live;
  return live;
}

void navigationNotice(const char* utf8) {
  TimedNoticeOptions options;
  options.timeoutMs = kNavigationNoticeMs;
  TimedNotice(gbk(utf8), options);
}

// Removes the record the user saw, unless it has changed since: a purge elsewhere may have
// moved it, so it is named by its serial and its texts, not by its position.
void deleteRecord(bank::RecordDatabase& db, const std::filesystem::path& path,
                  const SearchRow& row) {
  bool ready = db.isOpen(path) ? db.makeCurrent(path) : db.openDatabase(path);
  if (!ready) return;
  db.deleteRecord({row.serial,
                   {{bank::kQuestionField, std::string(row.question)},
                    {bank::kAnswerField, std::string(row.answer)}}});
}

}  // namespace

std::shared_ptr<SearchSession> SearchSession::attach(AnswerForm& form, AnswerBank bank) {
  ui::assertUiThread("SearchSession::attach");
  std::erase_if(sessions(), [](const auto& entry) { return entry.second.expired(); });
  auto session = std::make_shared<SearchSession>(form, std::move(bank));
  sessions()[form.handle()] = session;
  // The list lives no longer than the form, whose handlers below keep the session alive.
  form.超级列表框_题库.setRowSource(session.get());
  form.按钮_上一题.onClick = [session] { session->previousResult(); };
  form.按钮_下一题.onClick = [session] { session->nextResult(); };
  form.按钮_删除.onClick = [session] { session->deleteResult(); };
  // The form hears the keys of its controls. Enter searches only from the keyword box: in the
  // question or answer box it would throw the user back to the first result.
  form.onKeyDown = [session, &form, earlier = form.onKeyDown](int key) {
    if (key == kEnterKey && form.keyTarget() == &form.编辑框1) session->search();
    if (earlier) earlier(key);
  };
  return session;
}

std::shared_ptr<SearchSession> SearchSession::of(ui::FormHandle form) {
  ui::assertUiThread("SearchSession::of");
  auto found = sessions().find(form);
  return found == sessions().end() ? nullptr : found->second.lock();
}

SearchSession::SearchSession(AnswerForm& form, AnswerBank bank)
    : form_(form), bank_(std::move(bank)) {}

std::function<void(std::function<void(SearchSession&)>)> SearchSession::poster() {
  return [weak = weak_from_this(), handle = form_.handle()](auto work) {
    ui::post(handle, [weak, work = std::move(work)] {
      if (auto session = weak.lock()) work(*session);
    });
  };
}

void SearchSession::loadRecordCount() {
  // Read on the bank worker, ahead of any search handed in after it, which scans that many.
  bank_.worker.submit([&shared = bank_.shared, kept = kept_, post = poster()] {
    std::int32_t count = shared.use([](bank::RecordDatabase& db) { return db.recordCount(); });
    kept->recordCount = std::max<std::int32_t>(count, 0);  // no current bank: nothing to scan
    post([count = kept->recordCount](SearchSession& session) {
      session.bankRecordCount_ = count;
      session.form_.透明标签1.setCaption(gbk(texts::kCountBefore) + std::to_string(count) +
                                         gbk(texts::kCountAfter));
    });
  });
}

void SearchSession::setStatus(const std::string& text) { form_.状态条1.setSectionText(1, text); }

void SearchSession::search() {
  std::string keyword = form_.编辑框1.content();
  if (search::isBlankKeyword(keyword)) {
    setStatus(gbk(texts::kEmptyKeyword));
    return;
  }
  if (bankHandedBack_) return;
  bank_.worker.submitSearch([&shared = bank_.shared, &worker = bank_.worker, kept = kept_,
                             path = bank_.answerBankPath(), keyword = std::move(keyword),
                             post = poster()] {
    const std::int32_t limit = kept->recordCount;
    SearchResult result = shared.use([&](bank::RecordDatabase& db) {
      return kept->cache.search(db, path, {keyword, limit, search::SimilarMode::whenNoneHoldsIt});
    });
    post([result = std::move(result)](SearchSession& session) mutable {
      session.applySearch(std::move(result));
    });
    buildIndexWhenIdle(kept, worker);
  });
}

void SearchSession::buildIndexWhenIdle(const std::shared_ptr<WorkerState>& kept,
                                       search::BankWorker& worker) {
  if (kept->indexQueued || !kept->cache.wantsSimilarIndex()) return;
  kept->indexQueued = true;
  // Any bank work handed in meanwhile goes first: the build stops for it and the next search
  // queues it again. Until it is done, similar questions are found by reading every question.
  worker.submit([kept, &worker] {
    kept->indexQueued = false;
    kept->cache.buildSimilarIndex([&worker] { return worker.workWaiting(); });
  });
}

void SearchSession::applySearch(SearchResult result) {
  if (result.outcome == SearchOutcome::openFailed || result.outcome == SearchOutcome::readFailed) {
    setStatus(gbk(texts::kOpenFailed));  // the list and the display stay as they are
    return;
  }
  if (result.outcome == SearchOutcome::emptyKeyword) {
    setStatus(gbk(texts::kEmptyKeyword));
    return;
  }
  // The rows replace the last search's, whatever their number: the list only shows them, and
  // a new count redraws it whole.
  ui::ListView& list = form_.超级列表框_题库;
  rows_ = std::move(result.rows);
  rowTexts_ = std::move(result.texts);
  similar_ = result.outcome == SearchOutcome::similarFound;
  matchCount_ = int(rows_.size());
  list.setRowCount(matchCount_);
  if (matchCount_ > 0) {
    list.selectRow(0);
    showResult(0);
    showPosition();
  } else {
    form_.编辑框2.setContent(gbk(texts::kNoMatch));
    form_.编辑框3.setContent("");
    setStatus(texts::positionStatus(0, 0));
  }
}

std::string SearchSession::cellText(int row, int column) const {
  if (row < 0 || row >= int(rows_.size())) return {};
  const SearchRow& shown = rows_[std::size_t(row)];
  switch (column) {
    case 0:
      return std::to_string(shown.recordNumber);
    case 1:
      return std::string(shown.question);
    case 2:
      return std::string(shown.answer);
    default:
      return {};
  }
}

void SearchSession::showResult(int row) {
  if (row < 0 || row >= int(rows_.size())) return;
  const SearchRow& shown = rows_[std::size_t(row)];
  form_.编辑框2.setContent(std::string(shown.question));
  form_.编辑框3.setContent(std::string(shown.answer));
  form_.透明标签1.setCaption(gbk(texts::kCountBefore) + std::to_string(bankRecordCount_) +
                             gbk(texts::kCurrentBefore) + std::to_string(shown.recordNumber) +
                             gbk(texts::kCountAfter));
}

void SearchSession::showPosition() {
  setStatus(texts::positionStatus(form_.超级列表框_题库.selectedRow() + 1, matchCount_, similar_));
}

void SearchSession::previousResult() {
  ui::ListView& list = form_.超级列表框_题库;
  int selected = list.selectedRow();
  if (selected <= 0) {
    navigationNotice(texts::kFirstResult);
  } else {
    list.selectRow(selected - 1);
    showResult(list.selectedRow());
  }
  showPosition();
}

void SearchSession::nextResult() {
  ui::ListView& list = form_.超级列表框_题库;
  int selected = list.selectedRow();
  if (selected >= list.rowCount() - 1) {
    navigationNotice(texts::kLastResult);
  } else {
    list.selectRow(selected + 1);
    showResult(list.selectedRow());
  }
  showPosition();
}

void SearchSession::deleteResult() {
  int selected = form_.超级列表框_题库.selectedRow();
  if (selected < 0) {
    ui::messageBox(gbk(texts::kNothingSelected));
    return;
  }
  // What the user saw when they asked; the rows may be replaced while the box is up.
  std::optional<SearchRow> seen;
  std::shared_ptr<const void> seenTexts = rowTexts_;  // keeps the texts of `seen`
  if (std::size_t(selected) < rows_.size()) seen = rows_[std::size_t(selected)];
  int answer = ui::messageBox(gbk(texts::kConfirmDelete), gbk(texts::kConfirmCaption),
                              ui::mb::kOkCancel | ui::mb::kIconQuestion);
  if (answer == ui::mb::kIdOk && seen && !bankHandedBack_) {
    bank_.worker.submit(
        [&shared = bank_.shared, path = bank_.answerBankPath(), row = *seen, seenTexts] {
          shared.use([&](bank::RecordDatabase& db) { deleteRecord(db, path, row); });
        });
  }
  search();  // after OK and Cancel alike
}

void SearchSession::closeBank() {
  if (bankHandedBack_) return;
  bank_.worker.submit([&shared = bank_.shared, path = bank_.answerBankPath()] {
    shared.use([&](bank::RecordDatabase& db) { db.closeDatabase(path); });
  });
}

void SearchSession::handBackBank(std::function<void(bool stillOpen)> closed) {
  if (bankHandedBack_) return;
  bankHandedBack_ = true;
  bank_.worker.submit([&shared = bank_.shared, path = bank_.answerBankPath(), post = poster(),
                       closed = std::move(closed)] {
    bool stillOpen = shared.use([&](bank::RecordDatabase& db) {
      db.closeDatabase(path);
      return db.isOpen(path);
    });
    post([stillOpen, closed](SearchSession& session) {
      if (stillOpen) session.bankHandedBack_ = false;
      if (closed) closed(stillOpen);
    });
  });
}

void postKeywordSearch(ui::FormHandle answerForm, std::string keyword) {
  ui::post(answerForm, [answerForm, keyword = std::move(keyword)] {
    auto session = SearchSession::of(answerForm);
    if (!session) return;
    session->form().编辑框1.setContent(keyword);
    session->search();
  });
}

}  // namespace app
