#include "app/controllers/import_controller.h"

#include <string>
#include <system_error>
#include <utility>

#include "app/controllers/bank_chooser.h"
#include "app/controllers/bank_texts.h"
#include "app/controllers/import_texts.h"
#include "app/controllers/list_view_table.h"
#include "app/controllers/program_text.h"
#include "bank/error_codes.h"
#include "import/sheet_loader.h"
#include "import/table_import.h"
#include "platform/cp936.h"
#include "platform/user_folders.h"
#include "ui/system.h"

namespace app {
namespace {

namespace texts = import_texts;

void show(const char* utf8) { ui::messageBox(gbk(utf8)); }

// The open and import buttons are off while either runs, and back on however it ends.
class ImportButtonsOff {
 public:
  explicit ImportButtonsOff(ImportForm& form) : form_(form) { enable(false); }
  ~ImportButtonsOff() { enable(true); }
  ImportButtonsOff(const ImportButtonsOff&) = delete;
  ImportButtonsOff& operator=(const ImportButtonsOff&) = delete;

 private:
  void enable(bool on) {
    form_.按钮_打开.setEnabled(on);
    form_.按钮_导入题库.setEnabled(on);
  }
  ImportForm& form_;
};

// The workbook dialog: the Excel filter, starting in the user's desktop folder, leaving the
// current directory unchanged.
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

// Each row's result into the table's 结果 column, and why the first failed append failed.
class TableReport final : public importer::ImportReport {
 public:
  TableReport(importer::ImportTable& table, bank::RecordDatabase& database)
      : table_(table), database_(database) {}
  void rowDone(int row, importer::RowResult result) override {
    table_.setCell(row, importer::kResultColumn, texts::resultText(result));
    if (result == importer::RowResult::failed && failure == 0) failure = database_.lastError();
  }
  int failure = 0;

 private:
  importer::ImportTable& table_;
  bank::RecordDatabase& database_;
};

void showTargetControl(ImportForm& form, bool existingBank) {
  form.组合框1.setVisible(existingBank);
  form.编辑框1.setVisible(!existingBank);
}

}  // namespace

void ImportController::wireImportForm(ImportForm& form) {
  form.单选框1.onClick = [&form] { showTargetControl(form, true); };
  form.单选框2.onClick = [&form] { showTargetControl(form, false); };
  form.按钮_打开.onClick = [this, &form] { openWorkbook(form); };
  form.按钮_导入题库.onClick = [this, &form] { importTable(form); };
  form.按钮_清空数据库.onClick = [this, &form] { banks_.clearBank(form.组合框1); };
}

void ImportController::openWorkbook(ImportForm& form) {
  form.超级列表框.deleteAllRows();
  ImportButtonsOff busy(form);
  const auto workbook = ui::chooseOpenFile(workbookOpenRequest());
  if (workbook.empty()) return;
  ListViewTable table(form.超级列表框);
  importer::SheetLoadOptions options;
  options.rebuildColumns = false;
  // A table that stays empty says nothing; the reason does.
  switch (importer::loadSheetIntoTable(workbook, table, options).error) {
    case importer::SheetLoadError::libraryUnavailable:
      return show(texts::kLibraryUnavailable);
    case importer::SheetLoadError::notAFile:
    case importer::SheetLoadError::cannotLoad:
    case importer::SheetLoadError::noWorksheet:
      return show(texts::kNotAWorkbook);
    case importer::SheetLoadError::none:
    case importer::SheetLoadError::noSuchSheet:
    case importer::SheetLoadError::stopped:
      break;
  }
}

// The bank the import goes into, created when a new one is asked for; empty after a message.
std::filesystem::path ImportController::importTarget(ImportForm& form) {
  bank::QuestionBank& bank = banks_.questionBank();
  if (form.单选框1.checked()) return bank.bankPathOf(choiceOf(form.组合框1));
  // Taken as typed, not as program text: a bank name may hold characters GBK cannot.
  const std::u16string typed = form.编辑框1.contentUtf16();
  if (typed.empty()) {
    show(texts::kNoNewBankName);
    return {};
  }
  // Nothing is made from a name Windows cannot store; the message says what is wrong with it.
  const std::filesystem::path name(typed);
  if (auto problem =
          bank::checkBankName(bank::isBankFileName(name) ? name.stem() : name, bank.bankFolder());
      problem != bank::BankNameProblem::none) {
    ui::messageBox(bank_texts::bankNameProblemText(problem));
    return {};
  }
  // An existing bank of that name, whatever its letter case, is used as it is; a failed create
  // shows when opening.
  auto path = bank.resolveBankName(name);
  banks_.sharedBank().use([&](bank::RecordDatabase&) { return bank.createBankIfMissing(path); });
  return path;
}

void ImportController::importTable(ImportForm& form) {
  ImportButtonsOff busy(form);
  ListViewTable table(form.超级列表框);
  if (table.rowCount() == 0) return show(texts::kEmptyTable);
  banks_.ensureBankFolder();
  const auto path = importTarget(form);
  if (path.empty()) return;
  banks_.questionBank().setTargetBankPath(path);

  // The bank is held only while it is worked on: the notice between the two steps runs a
  // message loop of its own.
  importer::BankImport import(path);
  auto& shared = banks_.sharedBank();
  if (shared.use([&](bank::RecordDatabase& db) { return import.open(db); }) !=
      importer::ImportError::none)
    return show(texts::kOpenFailed);
  const int removed = importer::deduplicateTable(table);
  ui::timedMessageBox(gbk(texts::kDuplicatesRemovedBefore) + std::to_string(removed) +
                          gbk(texts::kDuplicatesRemovedAfter),
                      gbk(texts::kNoticeCaption), ui::mb::kOk, 2000);
  const auto outcome = shared.use([&](bank::RecordDatabase& db) {
    TableReport report(table, db);
    return std::pair(import.importRows(db, table, report), report.failure);
  });
  if (outcome.first.error != importer::ImportError::none) return show(texts::kOpenFailed);
  ui::messageBox(doneText(outcome.first.counts, outcome.second));
}

}  // namespace app
