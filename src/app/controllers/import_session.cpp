#include "app/controllers/import_session.h"

#include <chrono>
#include <cstdint>
#include <utility>

#include "app/controllers/bank_chooser.h"
#include "app/controllers/bank_texts.h"
#include "app/controllers/import_texts.h"
#include "app/controllers/program_text.h"
#include "bank/error_codes.h"
#include "import/sheet_loader.h"
#include "import/text_table_loader.h"
#include "platform/cp936.h"
#include "platform/user_folders.h"
#include "ui/system.h"
#include "ui/toolkit.h"

namespace app {
namespace {

namespace texts = import_texts;
using importer::WorkStage;

// How often work on a worker hands its progress to the form, and how often rows: the bar moves
// smoothly, and the table, whose every new row count redraws the page in sight, grows a few
// times a second, so the form spends its time answering the user.
constexpr std::chrono::milliseconds kProgressInterval{40};
constexpr std::chrono::milliseconds kRowsInterval{250};
constexpr unsigned kRepeatsNoticeMs = 2000;

void show(const char* utf8) { ui::messageBox(gbk(utf8)); }

// An import the user stopped by leaving the form says how far it got. Said from the worker,
// so that it shows over whatever form the user went on to.
void tellStopped(int imported) {
  ui::messageBox(gbk(texts::kStoppedBefore) + std::to_string(imported) + gbk(texts::kStoppedAfter));
}

// The workbook dialog: the Excel, CSV and text filter, starting in the user's desktop folder,
// leaving the current directory unchanged.
ui::OpenFileRequest workbookOpenRequest() {
  ui::OpenFileRequest request;
  request.filter = gbk(texts::kWorkbookFilter);
  request.initialFolder = platform::desktopFolder();
  request.keepCurrentDirectory = true;
  return request;
}

// The done message; when appends failed, with the reason the first one gave.
std::string doneText(const importer::ImportCounts& counts, int failure) {
  std::string text = gbk(texts::kDoneBefore) + std::to_string(counts.skipped) +
                     gbk(texts::kDoneSkippedAfter) + std::to_string(counts.imported) +
                     gbk(texts::kDoneImportedAfter);
  if (counts.failed > 0) {
    text += gbk(texts::kDoneFailedBefore) + std::to_string(counts.failed) +
            gbk(texts::kDoneFailedAfter);
    if (failure != 0) text += gbk("（") + bank::errorText(failure) + gbk("）");
  }
  return text;
}

// The question and answer of every row, with their unstorable counts: what the import needs,
// copied so the worker never reads the rows the form shows.
importer::TableRows questionsAndAnswers(const importer::MemoryTable& table) {
  importer::TableRows rows;
  rows.columns = 4;
  rows.cells.reserve(std::size_t(table.rowCount()) * 4);
  for (int row = 0; row < table.rowCount(); ++row) {
    rows.cells.emplace_back();
    rows.cells.push_back(table.cell(row, importer::kQuestionColumn));
    rows.cells.push_back(table.cell(row, importer::kAnswerColumn));
    rows.cells.emplace_back();
    rows.unstorable.push_back(table.unstorable(row));
  }
  return rows;
}

}  // namespace

// ---- What workers tell the form ----

// The work of one import, shared by its two steps on the worker and the form between them.
struct ImportSession::ImportJob {
  ImportJob(std::filesystem::path bank, std::shared_ptr<const importer::MemoryTable> shown,
            std::shared_ptr<std::atomic<bool>> stopFlag, Post poster)
      : path(std::move(bank)),
        import(path),
        table(std::move(shown)),
        stop(std::move(stopFlag)),
        post(std::move(poster)) {}
  std::filesystem::path path;
  importer::BankImport import;
  // The form's rows when the import began, until the worker has copied what it needs of them.
  std::shared_ptr<const importer::MemoryTable> table;
  importer::MemoryTable rows = importer::MemoryTable::withImportColumns();
  std::shared_ptr<std::atomic<bool>> stop;
  Post post;
};

// Progress of work on a worker, handed to the form: the bar's position at the pace of
// kProgressInterval, and (by the reports that have them) rows at the slower pace of
// kRowsInterval. The last row of a stage always goes.
class ImportSession::WorkerReport : public importer::ImportReport {
 public:
  WorkerReport(std::shared_ptr<std::atomic<bool>> stop, Post post)
      : post_(std::move(post)), stop_(std::move(stop)) {}
  bool keepGoing() override { return !stop_->load(std::memory_order_relaxed); }
  void progress(WorkStage stage, int done, int total) override {
    const auto now = std::chrono::steady_clock::now();
    if (done == total || now >= nextRows_) {
      nextRows_ = now + kRowsInterval;
      nextProgress_ = now + kProgressInterval;
      handOverRows(stage, done, total);
    } else if (now >= nextProgress_) {
      nextProgress_ = now + kProgressInterval;
      post_([stage, done, total](ImportSession& session) {
        session.showProgress(stage, done, total);
      });
    }
  }

 protected:
  // What the report has gathered, with the bar's position.
  virtual void handOverRows(WorkStage stage, int done, int total) {
    post_(
        [stage, done, total](ImportSession& session) { session.showProgress(stage, done, total); });
  }
  Post post_;

 private:
  std::shared_ptr<std::atomic<bool>> stop_;
  std::chrono::steady_clock::time_point nextRows_{};
  std::chrono::steady_clock::time_point nextProgress_{};
};

// The rows a load has read, handed to the form's table in batches.
class ImportSession::LoadReport final : public WorkerReport {
 public:
  LoadReport(std::vector<std::string> titles, std::shared_ptr<std::atomic<bool>> stop, Post post)
      : WorkerReport(std::move(stop), std::move(post)), rows(std::move(titles)) {}

  // The rest of the rows and the column titles, then `finish` with the form.
  void handOverRest(std::function<void(ImportSession&)> finish) {
    post_([batch = rows.takeRows(), titles = rows.columnTitles(),
           finish = std::move(finish)](ImportSession& session) mutable {
      session.table_.setColumnTitles(titles);
      session.table_.appendRows(std::move(batch));
      session.table_.repaint();
      finish(session);
    });
  }

  importer::MemoryTable rows;  // the load fills it; what it holds goes to the form

 protected:
  void handOverRows(WorkStage stage, int done, int total) override {
    std::vector<std::string> titles;
    if (!titlesHandedOver_) titles = rows.columnTitles();
    titlesHandedOver_ = true;
    post_([batch = rows.takeRows(), titles = std::move(titles), stage, done,
           total](ImportSession& session) mutable {
      if (!titles.empty()) session.table_.setColumnTitles(titles);
      session.table_.appendRows(std::move(batch));
      session.table_.repaint();
      session.showProgress(stage, done, total);
    });
  }

 private:
  bool titlesHandedOver_ = false;
};

// Each imported row's result, handed to the form's table in batches, and the reason the first
// failed append gave.
class ImportSession::ResultReport final : public WorkerReport {
 public:
  explicit ResultReport(ImportJob& job) : WorkerReport(job.stop, job.post), job_(job) {}

  void rowDone(int row, importer::RowResult result) override {
    results_.emplace_back(row, result);
    unstorable_.push_back(job_.rows.unstorable(row));
    if (result == importer::RowResult::failed && failure == 0 && database)
      failure = database->lastError();
  }

  // The results not yet handed over, then `finish` with the form.
  void handOverRest(std::function<void(ImportSession&)> finish) {
    post_([results = std::move(results_), unstorable = std::move(unstorable_),
           finish = std::move(finish)](ImportSession& session) {
      session.applyResults(results, unstorable);
      finish(session);
    });
  }

  bank::RecordDatabase* database = nullptr;  // while the import holds the bank
  int failure = 0;

 protected:
  void handOverRows(WorkStage stage, int done, int total) override {
    post_([results = std::move(results_), unstorable = std::move(unstorable_), stage, done,
           total](ImportSession& session) {
      session.applyResults(results, unstorable);
      session.showProgress(stage, done, total);
    });
    results_.clear();
    unstorable_.clear();
  }

 private:
  ImportJob& job_;
  std::vector<std::pair<int, importer::RowResult>> results_;
  std::vector<int> unstorable_;
};

// ---- The session ----

std::shared_ptr<ImportSession> ImportSession::attach(ImportForm& form, BankController& banks,
                                                     BackgroundWork& work) {
  auto session = std::make_shared<ImportSession>(form, banks, work);
  form.按钮_打开.onClick = [session] { session->openWorkbook(); };
  form.按钮_导入题库.onClick = [session] { session->importTable(); };
  form.组合框_工作表.onSelectionChanged = [session] { session->sheetChosen(); };
  form.onDestroying = [session, earlier = form.onDestroying] {
    session->stopWork();
    if (earlier) earlier();
  };
  form.onCloseAsked = [session] { return session->confirmLeaving(); };
  return session;
}

ImportSession::ImportSession(ImportForm& form, BankController& banks, BackgroundWork& work)
    : form_(form), banks_(banks), work_(work), table_(form.超级列表框) {}

ImportSession::~ImportSession() { stopWork(); }

void ImportSession::stopWork() { stop_->store(true); }

bool ImportSession::confirmLeaving() {
  if (!importing_) return true;
  if (ui::messageBox(gbk(texts::kConfirmStop), ui::mb::kOkCancel) != ui::mb::kIdOk) return false;
  // The question runs a message loop of its own, in which the import may have ended.
  if (importing_) stopWork();
  return true;
}

ImportSession::Post ImportSession::poster() {
  return [weak = weak_from_this(), handle = form_.handle()](auto work) {
    ui::post(handle, [weak, work = std::move(work)] {
      // A form on its way out shows nothing more, not even the end of its work.
      if (auto session = weak.lock(); session && !session->form_.ending()) work(*session);
    });
  };
}

void ImportSession::setBusy(bool busy, bool clearingToo) {
  busy_ = busy;
  form_.按钮_打开.setEnabled(!busy);
  form_.按钮_导入题库.setEnabled(!busy);
  if (clearingToo) form_.按钮_清空数据库.setEnabled(!busy);
}

void ImportSession::showProgress(WorkStage /*stage*/, int done, int total) {
  // Each stage fills the bar from empty to full.
  const int percent = total > 0 ? int(std::int64_t(done) * 100 / total) : 0;
  form_.进度条1.setPosition(percent);
}

// ---- Opening a workbook ----

void ImportSession::openWorkbook() {
  if (busy_) return;
  table_.deleteAllRows();
  table_.repaint();
  setBusy(true, false);
  offerSheets({}, 0);
  const auto workbook = ui::chooseOpenFile(workbookOpenRequest());
  if (workbook.empty()) return setBusy(false, false);
  loadWorkbook(workbook);
}

void ImportSession::sheetChosen() {
  const int chosen = form_.组合框_工作表.selectedIndex();
  if (busy_ || chosen < 0 || chosen == sheetShown_ || workbook_.empty()) return;
  loadWorkbook(workbook_, chosen + 1);
}

void ImportSession::offerSheets(const std::vector<std::string>& names, int shown) {
  auto& sheets = form_.组合框_工作表;
  sheets.clear();
  for (const auto& name : names) sheets.addItem(name);
  const bool several = names.size() > 1;
  if (several) sheets.setSelectedIndex(shown);
  form_.showSheetRow(several);
}

void ImportSession::loadWorkbook(const std::filesystem::path& workbook, int sheetNumber) {
  workbook_ = workbook;
  sheetShown_ = sheetNumber > 0 ? sheetNumber - 1 : 0;
  form_.组合框_工作表.setEnabled(false);
  table_.deleteAllRows();
  table_.repaint();
  setBusy(true, false);
  showProgress(WorkStage::reading, 0, 1);
  work_.start([workbook, sheetNumber, titles = table_.columnTitles(), stop = stop_,
               post = poster()] {
    LoadReport report(titles, stop, post);
    // CSV and question-block text fill the same table as a worksheet does.
    if (importer::textFileKind(workbook) != importer::TextFileKind::none) {
      const auto result = importer::loadTextFileIntoTable(workbook, report.rows, &report);
      if (result.stopped) return;  // the form is gone
      report.handOverRest([ok = result.ok](ImportSession& session) {
        if (!ok) show(texts::kNotATextFile);
        session.finishLoad({});
      });
      return;
    }
    importer::SheetLoadOptions options;
    options.rebuildColumns = false;
    options.sheetNumber = sheetNumber;
    const auto result = importer::loadSheetIntoTable(workbook, report.rows, options, {}, &report);
    if (result.error == importer::SheetLoadError::stopped) return;  // the form is gone
    report.handOverRest([result](ImportSession& session) { session.finishLoad(result); });
  });
}

void ImportSession::finishLoad(const importer::SheetLoadResult& result) {
  showProgress(WorkStage::reading, 0, 1);
  // A table that stays empty says nothing; the reason does.
  switch (result.error) {
    case importer::SheetLoadError::libraryUnavailable:
      show(texts::kLibraryUnavailable);
      break;
    case importer::SheetLoadError::cannotLoad:
      show(texts::refusalText(importer::workbookRefusalOf(result.detail)));
      break;
    case importer::SheetLoadError::notAFile:
    case importer::SheetLoadError::noWorksheet:
      show(texts::kNotAWorkbook);
      break;
    case importer::SheetLoadError::none:
    case importer::SheetLoadError::noSuchSheet:
    case importer::SheetLoadError::stopped:
      break;
  }
  if (result.sheetNames.size() >= std::size_t(sheetShown_) + 1)
    offerSheets(result.sheetNames, sheetShown_);
  else
    offerSheets({}, 0);
  form_.组合框_工作表.setEnabled(true);
  setBusy(false, false);
}

// ---- Importing ----

// The bank the import goes into, created when a new one is asked for; empty after a message.
std::filesystem::path ImportSession::importTarget() {
  bank::QuestionBank& bank = banks_.questionBank();
  if (form_.单选框1.checked()) return bank.bankPathOf(choiceOf(form_.组合框1));
  // Taken as typed, not as program text: a bank name may hold characters GBK cannot.
  const std::u16string typed = form_.编辑框1.contentUtf16();
  if (typed.empty()) {
    show(texts::kNoNewBankName);
    return {};
  }
  // Nothing is made from a name Windows cannot store; the message says what is wrong with it.
  const std::filesystem::path name(typed);
  if (auto problem =
          bank::checkBankName(bank::isBankFileName(name) ? name.stem() : name, bank.bankFolder());
      problem != bank::BankNameProblem::none) {
    ui::messageBox(bank_texts::bankNameProblemText(problem, typed));
    return {};
  }
  // An existing bank of that name, whatever its letter case, is used as it is. It is created
  // by the import's work, off this thread; a failed create shows when opening.
  newBank_ = true;
  return bank.resolveBankName(name);
}

void ImportSession::importTable() {
  if (busy_) return;
  // Emptying a bank while rows go into it would leave the import's idea of what the bank
  // holds wrong; so that button waits too.
  setBusy(true, true);
  if (table_.rowCount() == 0) {
    show(texts::kEmptyTable);
    return setBusy(false, true);
  }
  newBank_ = false;
  banks_.ensureBankFolder();
  const auto path = importTarget();
  if (path.empty()) return setBusy(false, true);
  banks_.questionBank().setTargetBankPath(path);
  importing_ = true;

  auto job = std::make_shared<ImportJob>(path, table_.snapshot(), stop_, poster());
  work_.start(
      [job, &shared = banks_.sharedBank(), &bank = banks_.questionBank(), create = newBank_] {
        job->rows.appendRows(questionsAndAnswers(*job->table));
        job->table.reset();
        // The pairs the bank holds are read now; the bank is not kept open across the notice that
        // follows, since a form left during it would never close it.
        const auto error = shared.use([&](bank::RecordDatabase& db) {
          if (create) bank.createBankIfMissing(job->path);
          const auto opened = job->import.open(db);
          if (opened == importer::ImportError::none) db.closeDatabase(job->path);
          return opened;
        });
        if (error != importer::ImportError::none) {
          job->post([error](ImportSession& session) { session.finishImport({error, {}}, 0); });
          return;
        }
        WorkerReport comparing(job->stop, job->post);
        auto keep = importer::firstOccurrences(job->rows, &comparing);
        if (job->stop->load()) return tellStopped(0);
        // The worker's rows need no numbers: the form's table, which shows them, gets its own.
        job->rows.keepRows(keep);
        job->post([job, keep = std::move(keep)](ImportSession& session) {
          session.repeatsRemoved(job, keep);
        });
      });
}

void ImportSession::repeatsRemoved(std::shared_ptr<ImportJob> job, const std::vector<bool>& keep) {
  const int removed = importer::keepFirstOccurrences(table_, keep);
  ui::timedMessageBox(gbk(texts::kDuplicatesRemovedBefore) + std::to_string(removed) +
                          gbk(texts::kDuplicatesRemovedAfter),
                      gbk(texts::kNoticeCaption), ui::mb::kOk, kRepeatsNoticeMs);
  // The notice runs a message loop of its own, in which the form may have been closed.
  if (form_.ending() || stop_->load()) return;
  importRows(std::move(job));
}

void ImportSession::importRows(std::shared_ptr<ImportJob> job) {
  showProgress(WorkStage::importing, 0, 1);
  work_.start([job, &shared = banks_.sharedBank()] {
    ResultReport report(*job);
    const auto outcome = shared.use([&](bank::RecordDatabase& db) {
      report.database = &db;
      auto done = job->import.importRows(db, job->rows, report);
      report.database = nullptr;
      return done;
    });
    // Left meanwhile: no form hears the end, so it is said here.
    if (job->stop->load() && outcome.error == importer::ImportError::none) {
      const auto& counts = outcome.counts;
      const bool cutShort = counts.skipped + counts.imported + counts.failed < job->rows.rowCount();
      if (cutShort) return tellStopped(counts.imported);
      ui::messageBox(doneText(counts, report.failure));
      return;
    }
    report.handOverRest([outcome, failure = report.failure](ImportSession& session) {
      session.finishImport(outcome, failure);
    });
  });
}

void ImportSession::applyResults(const std::vector<std::pair<int, importer::RowResult>>& results,
                                 const std::vector<int>& unstorable) {
  for (std::size_t i = 0; i < results.size(); ++i)
    table_.setCell(results[i].first, importer::kResultColumn,
                   texts::resultText(results[i].second, unstorable[i]));
  table_.repaint();
}

void ImportSession::finishImport(const importer::ImportOutcome& outcome, int failure) {
  importing_ = false;
  if (outcome.error != importer::ImportError::none) {
    showProgress(WorkStage::importing, 0, 1);
    show(texts::kOpenFailed);
    return setBusy(false, true);
  }
  // The bar stays full while the user reads the outcome.
  showProgress(WorkStage::importing, 1, 1);
  ui::messageBox(doneText(outcome.counts, failure));
  showProgress(WorkStage::importing, 0, 1);
  setBusy(false, true);
}

}  // namespace app
