#include "app/import_wiring.h"

#include <string>
#include <system_error>

#include "app/bank_adapters.h"
#include "import/import_texts.h"
#include "import/list_view_table.h"
#include "import/sheet_loader.h"
#include "import/table_import.h"
#include "platform/cp936.h"
#include "ui/system.h"

namespace app {
namespace {

namespace texts = importer::texts;

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }
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

void openWorkbook(ImportForm& form) {
  form.超级列表框.deleteAllRows();
  ImportButtonsOff busy(form);
  importer::SheetLoadOptions options;
  options.rebuildColumns = false;
  importer::LoadSheetIntoList(form.超级列表框, options);
}

// A new bank's name names a file in the bank folder, never one elsewhere.
bool isPlainName(const std::string& name) {
  return cp936::toUtf16(name).find_first_of(u"\\/:") == std::u16string::npos;
}

bool isFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// The bank the import goes into, created when a new one is asked for; empty after a message.
std::filesystem::path importTarget(ImportForm& form, bank::QuestionBank& bank) {
  if (form.单选框1.checked()) return bank.bankPathOf(ComboBoxChooser(form.组合框1));
  const std::string name = form.编辑框1.content();
  if (name.empty()) {
    show(texts::kNoNewBankName);
    return {};
  }
  if (!isPlainName(name)) {
    show(texts::kOpenFailed);
    return {};
  }
  auto path = bank.bankPath(name + ".edb");
  // An existing bank of that name is used as it is; a failed create shows when opening.
  if (!isFile(path)) bank.createBank(path);
  return path;
}

std::string doneText(const importer::ImportCounts& counts) {
  std::string text = gbk(texts::kDoneBefore) + std::to_string(counts.skipped) +
                     gbk(texts::kDoneSkippedAfter) + std::to_string(counts.imported) +
                     gbk(texts::kDoneImportedAfter);
  if (counts.failed > 0) {
    text += gbk(texts::kDoneFailedBefore) + std::to_string(counts.failed) +
            gbk(texts::kDoneFailedAfter);
  }
  return text;
}

void importTable(ImportForm& form, bank::QuestionBank& bank, answer::SharedBank& shared) {
  ImportButtonsOff busy(form);
  importer::ListViewTable table(form.超级列表框);
  if (table.rowCount() == 0) return show(texts::kEmptyTable);
  bank.ensureBankFolder();
  const auto path = importTarget(form, bank);
  if (path.empty()) return;
  bank.setTargetBankPath(path);

  shared.use([&](bank::RecordDatabase& database) {
    const auto counts = importer::importIntoBank(database, path, table, [](int removed) {
      ui::timedMessageBox(gbk(texts::kDuplicatesRemovedBefore) + std::to_string(removed) +
                              gbk(texts::kDuplicatesRemovedAfter),
                          gbk(texts::kNoticeCaption), ui::mb::kOk, 2000);
    });
    if (counts)
      ui::messageBox(doneText(*counts));
    else
      show(texts::kOpenFailed);
  });
}

void showTargetControl(ImportForm& form, bool existingBank) {
  form.组合框1.setVisible(existingBank);
  form.编辑框1.setVisible(!existingBank);
}

}  // namespace

void wireImportForm(ImportForm& form, bank::QuestionBank& bank, answer::SharedBank& shared) {
  form.单选框1.onClick = [&form] { showTargetControl(form, true); };
  form.单选框2.onClick = [&form] { showTargetControl(form, false); };
  form.按钮_打开.onClick = [&form] { openWorkbook(form); };
  form.按钮_导入题库.onClick = [&form, &bank, &shared] { importTable(form, bank, shared); };
  form.按钮_清空数据库.onClick = [&form, &bank, &shared] {
    ComboBoxChooser chooser(form.组合框1);
    shared.use([&](bank::RecordDatabase&) { bank.clearBank(chooser); });
  };
}

}  // namespace app
