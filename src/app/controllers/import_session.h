// The working end of one import form: its table, opening a workbook into it and importing it
// into a bank, with the progress bar 进度条1 showing how far the work is.
//
// The form's controls are used on the user-interface thread only. Reading the workbook and the
// import's bank work run on threads of their own; they hand rows, results and progress back
// through ui::post and stop at the next row once the form goes away. The open and import
// buttons stay off from the start of an operation to its end, however it ends.
#pragma once
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/controllers/background_work.h"
#include "app/controllers/bank_controller.h"
#include "app/controllers/import_table_model.h"
#include "app/forms/import_form.h"
#include "import/sheet_loader.h"
#include "import/table_import.h"
#include "import/work_report.h"

namespace app {

class ImportSession : public std::enable_shared_from_this<ImportSession> {
 public:
  // Attaches the open and import buttons to a session of their own. Call before the form is
  // created; the form's handlers keep the session alive as long as the form lives.
  static std::shared_ptr<ImportSession> attach(ImportForm& form, BankController& banks,
                                               BackgroundWork& work);
  ImportSession(ImportForm& form, BankController& banks, BackgroundWork& work);
  // Whatever still runs for this form stops at its next row.
  ~ImportSession();

  // 按钮_打开: empties the table, asks for a workbook and reads it into the table.
  void openWorkbook();
  // The second half of openWorkbook, once the workbook is chosen: its 1-based worksheet
  // `sheetNumber`, the first unless that names one.
  void loadWorkbook(const std::filesystem::path& workbook, int sheetNumber = 0);
  // 组合框_工作表: reads the worksheet chosen there in place of the one shown.
  void sheetChosen();
  // 按钮_导入题库: removes the table's repeated rows and imports the rest into the bank the
  // form names.
  void importTable();

  // A load or an import is under way.
  bool busy() const { return busy_; }
  // The user is leaving the form. During an import, asks whether to stop it: false (Cancel)
  // keeps the form and the import going; on OK the import stops at its next row and then says
  // how many rows went in.
  bool confirmLeaving();
  const ImportTableModel& table() const { return table_; }

 private:
  struct ImportJob;
  class WorkerReport;
  class LoadReport;
  class ResultReport;
  using Post = std::function<void(std::function<void(ImportSession&)>)>;

  // The work of this form has to stop: the form is going away.
  void stopWork();
  void setBusy(bool busy, bool clearingToo);
  void showProgress(importer::WorkStage stage, int done, int total);
  void finishLoad(const importer::SheetLoadResult& result);
  // Offers the worksheets of a workbook that has several, with `shown` (0-based) selected.
  void offerSheets(const std::vector<std::string>& names, int shown);
  std::filesystem::path importTarget();
  void repeatsRemoved(std::shared_ptr<ImportJob> job, const std::vector<bool>& keep);
  void importRows(std::shared_ptr<ImportJob> job);
  void applyResults(const std::vector<std::pair<int, importer::RowResult>>& results,
                    const std::vector<int>& unstorable);
  void finishImport(const importer::ImportOutcome& outcome, int failure);
  // Posts `work` back to this session on the user-interface thread, if the form still lives.
  Post poster();

  ImportForm& form_;
  BankController& banks_;
  BackgroundWork& work_;
  ImportTableModel table_;
  // Set when the form goes; every piece of work this session started reads it.
  std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
  bool busy_ = false;
  bool importing_ = false;  // from 按钮_导入题库 to the end of the import, however it ends
  bool newBank_ = false;
  std::filesystem::path workbook_;  // the file the table was read from
  int sheetShown_ =
      0;  // 0-based, of workbook_  // the bank importTarget() named is to be created when missing
};

}  // namespace app
