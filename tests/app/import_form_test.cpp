// The import form over the real bank store and spreadsheet library: opening a workbook into
// the table, importing it into a new or an existing bank, the refusals on the way, and leaving
// the form while a load or an import runs on its worker.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/controllers/import_texts.h"
#include "bank/record_format.h"
#include "bank_controller_fixture.h"
#include "import/library_file.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

using apptest::gbk;
using Strings = std::vector<std::string>;

const fs::path kSmallBank = fs::path(QUORVIX_FIXTURES) / "qbank" / "qbank_small.xlsx";
const fs::path kMediumBank = fs::path(QUORVIX_FIXTURES) / "qbank" / "qbank_medium.xlsx";
const fs::path kLargeBank = fs::path(QUORVIX_FIXTURES) / "qbank" / "qbank_large.xlsx";

// Wide on Windows: the run directory's name is Chinese.
void setRunDirVariable(const fs::path& value) {
#ifdef _WIN32
  _wputenv_s(L"QUORVIX_RUN_DIR", value.wstring().c_str());
#else
  setenv("QUORVIX_RUN_DIR", value.c_str(), 1);
#endif
}

class ImportFormTest : public apptest::BankControllerTest {
 protected:
  ImportFormTest() { setRunDirVariable(runDir); }
  ~ImportFormTest() override { setRunDirVariable(fs::path()); }

  app::ImportForm& toImport() { return toImportFrom(toChooser()); }
  app::ImportForm& toImportFrom(app::BankChooserForm& chooser) {
    backend.click(chooser.按钮_导入题库);
    backend.runPending();
    return only<app::ImportForm>();
  }

  // Runs the form's events until its load or import has ended (or the form is gone).
  void finish(app::ImportForm& form) {
    ASSERT_TRUE(backend.runUntil(
        [&] { return import->idle() && (!form.alive() || buttonsOn(form)); }, 60000));
    backend.runPending();
  }

  // Opens `workbook` through the file dialog and waits until it is in the table.
  void open(app::ImportForm& form, const fs::path& workbook) {
    backend.answerFileDialogs({workbook});
    backend.click(form.按钮_打开);
    finish(form);
  }

  void importInto(app::ImportForm& form, const char* newBank) {
    backend.click(form.单选框2);
    backend.type(form.编辑框1, gbk(newBank));
    clickImport(form);
  }

  void clickImport(app::ImportForm& form) {
    backend.click(form.按钮_导入题库);
    finish(form);
  }

  static const std::vector<int>& progressSet(app::ImportForm& form) {
    return ui::headless::HeadlessBackend::peerOf(form.进度条1).positionsSet();
  }

  Strings resultColumn(app::ImportForm& form) {
    Strings results;
    for (int row = 0; row < form.超级列表框.rowCount(); ++row)
      results.push_back(cp936::toUtf8(form.超级列表框.cell(row, 3)));
    return results;
  }

  static bool buttonsOn(app::ImportForm& form) {
    return form.按钮_打开.enabled() && form.按钮_导入题库.enabled();
  }
};

TEST_F(ImportFormTest, OpeningAWorkbookWritesTheLibraryAndFillsTheTable) {
  auto& form = toImport();
  open(form, kSmallBank);

  const auto requests = backend.fileDialogs();
  ASSERT_EQ(requests.size(), 1u);
  const auto& request = requests[0];
  EXPECT_EQ(cp936::toUtf8(request.filter),
            "Excel表格(*.xls,*.xlsx)|*.xls;*.xlsx|CSV文件(*.csv)|*.csv|文本文件(*.txt)|*.txt");
  EXPECT_TRUE(request.keepCurrentDirectory);

  EXPECT_TRUE(fs::is_regular_file(runDir / xlbind::libraryFileName()));
  auto& table = form.超级列表框;
  EXPECT_EQ(table.rowCount(), 201);
  EXPECT_EQ(table.columnCount(), 4);
  EXPECT_EQ(cp936::toUtf8(table.columnTitle(3)), "备注");
  EXPECT_EQ(cp936::toUtf8(table.cell(53, 2)), "25.6%");
  EXPECT_TRUE(buttonsOn(form));
  EXPECT_TRUE(backend.messages().empty());  // loading says nothing
  // The bar went from empty to full as the rows came in, and is empty again.
  const auto& bar = progressSet(form);
  ASSERT_FALSE(bar.empty());
  EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end() - 1));
  EXPECT_EQ(bar[bar.size() - 2], 100);
  EXPECT_EQ(bar.back(), 0);
}

TEST_F(ImportFormTest, ACancelledOrUnreadableWorkbookLeavesAnEmptyTableWithItsTitles) {
  auto& form = toImport();
  open(form, kSmallBank);
  backend.click(form.按钮_打开);  // no answer: the dialog is cancelled
  EXPECT_EQ(form.超级列表框.rowCount(), 0);
  EXPECT_EQ(cp936::toUtf8(form.超级列表框.columnTitle(1)), "题目");

  EXPECT_TRUE(backend.messages().empty());  // a cancelled dialog says nothing

  // An unreadable file says why the table stays empty.
  banktest::writeBytes(runDir / "not-a-workbook.xls", "plain text");
  open(form, runDir / "not-a-workbook.xls");
  EXPECT_EQ(form.超级列表框.rowCount(), 0);
  EXPECT_TRUE(buttonsOn(form));
  EXPECT_EQ(shownTexts(), (Strings{"无法打开该文件：它不是Excel工作簿，或者已经损坏"}));
}

TEST_F(ImportFormTest, ARefusedWorkbookSaysItsRealReason) {
  auto& form = toImport();
  const fs::path mustFail = fs::path(QUORVIX_FIXTURES) / "workbooks" / "mustfail";
  auto bytes = platform::readFile(kSmallBank);
  ASSERT_TRUE(bytes);
  ASSERT_TRUE(platform::writeFileAtomic(runDir / "cut.xlsx", bytes->substr(0, bytes->size() / 2)));
  const std::pair<fs::path, const char*> cases[] = {
      {mustFail / "calamine" / "pass_protected.xlsx",
       "无法打开该文件：工作簿设有密码（已加密），请在Excel中取消密码后再导入"},
      {mustFail / "edr" / "as3xls_BIFF5.xls",
       "无法打开该文件：这是Excel "
       "5.0/95或更早版本的工作簿，请在Excel中另存为.xlsx或.xls格式后再导入"},
      {runDir / "cut.xlsx", "无法打开该文件：工作簿已经损坏或不完整"},
  };
  for (const auto& [workbook, reason] : cases) {
    backend.clearMessages();
    open(form, workbook);
    EXPECT_EQ(form.超级列表框.rowCount(), 0) << workbook;
    EXPECT_TRUE(buttonsOn(form));
    EXPECT_EQ(shownTexts(), (Strings{reason})) << workbook;
  }
}

TEST_F(ImportFormTest, LeavingTheFormDuringALoadStopsTheLoad) {
  auto& form = toImport();
  backend.answerFileDialogs({kLargeBank});
  backend.click(form.按钮_打开);
  EXPECT_FALSE(buttonsOn(form));
  // The form answers while the worker reads: leaving it works at once, and the load stops.
  ASSERT_TRUE(backend.runUntil([&] { return form.超级列表框.rowCount() > 0; }, 60000));
  backend.click(form.按钮_返回题库选择);
  backend.runPending();
  only<app::BankChooserForm>();
  ASSERT_TRUE(backend.runUntil([&] { return import->idle(); }, 10000));

  auto& again = toImportFrom(only<app::BankChooserForm>());
  backend.answerFileDialogs({kLargeBank});
  backend.click(again.按钮_打开);
  backend.closeBox(again);
  backend.runPending();
  EXPECT_EQ(ui::liveFormCount(), 0u);
  EXPECT_EQ(backend.exitCode(), 0);
  ASSERT_TRUE(backend.runUntil([&] { return import->idle(); }, 10000));
}

// A text as a field of the bank gives it back.
std::string stored(const std::string& text) {
  return std::string(bank::readTextSlot(text.substr(0, bank::textSlotLength(text, 1000))));
}

const std::string kStopQuestion = "导入尚未完成，确定要停止吗？";

std::string stoppedText(int imported) {
  return "导入已停止，已导入" + std::to_string(imported) +
         "条数据。\r\n再次导入同一工作簿即可完成导入（已导入的题目会作为重复内容跳过）。";
}

// Closes the form `delayMs` of real time after the import was started, wherever it is then:
// reading the bank, comparing, in the notice, or importing.
TEST_F(ImportFormTest, ClosingTheFormDuringAnImportLeavesAValidBankWithTheReportedRowsOnce) {
  for (int delayMs : {0, 3, 10, 30, 80, 200}) {
    SCOPED_TRACE(delayMs);
    auto& form = delayMs == 0 ? toImport() : toImportFrom(only<app::BankChooserForm>());
    open(form, kMediumBank);
    const int rows = form.超级列表框.rowCount();
    std::vector<std::pair<std::string, std::string>> reported;  // as the bank keeps them
    form.onDestroying = [&, earlier = form.onDestroying] {
      if (earlier) earlier();
      auto& list = form.超级列表框;
      for (int row = 0; row < list.rowCount(); ++row)
        if (cp936::toUtf8(list.cell(row, 3)).rfind("导入成功", 0) == 0)
          reported.emplace_back(stored(list.cell(row, 1)), stored(list.cell(row, 2)));
    };
    const std::string name = "关闭" + std::to_string(delayMs);
    backend.click(form.单选框2);
    backend.type(form.编辑框1, gbk(name.c_str()));
    backend.clearMessages();
    backend.click(form.按钮_导入题库);
    const auto start = std::chrono::steady_clock::now();
    backend.runUntil([&] {
      return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(delayMs) ||
             buttonsOn(form);
    });
    backend.click(form.按钮_返回题库选择);
    backend.runPending();
    ASSERT_TRUE(backend.runUntil([&] { return import->idle(); }, 60000));
    backend.runPending();

    // Every row the table showed as imported is in the bank exactly once, and nothing else.
    const auto bankPath = bankFile((name + ".edb").c_str());
    std::map<std::pair<std::string, std::string>, int> stored;
    bank::RecordDatabase db;
    ASSERT_TRUE(db.openDatabase(bankPath));
    ASSERT_TRUE(
        db.scanRecords({bank::kQuestionField, bank::kAnswerField}, [&](const bank::ScanRow& row) {
          ++stored[{std::string((*row.texts)[0]), std::string((*row.texts)[1])}];
          return true;
        }));
    for (const auto& [pair, count] : stored) EXPECT_EQ(count, 1);
    EXPECT_LE(int(stored.size()), rows);
    EXPECT_GE(stored.size(), reported.size());
    for (const auto& pair : reported) EXPECT_EQ(stored.count(pair), 1u);
    // Left mid-import, the user was asked, and told how many rows went in.
    const Strings said = shownTexts();
    const bool asked = std::count(said.begin(), said.end(), kStopQuestion) == 1;
    const auto stopped = std::find_if(said.begin(), said.end(), [](const std::string& text) {
      return text.rfind("导入已停止", 0) == 0;
    });
    if (stopped != said.end()) {
      EXPECT_TRUE(asked);
      EXPECT_EQ(*stopped, stoppedText(int(stored.size())));
    }
    if (banktest::oracleAvailable()) {
      auto check = banktest::oracle("check " + banktest::quoted(bankPath.string()));
      EXPECT_EQ(check.status, 0) << check.out;
    }
  }
}

TEST_F(ImportFormTest, LeavingMidImportAsksCancelGoesOnAndAStoppedImportCompletesWhenRepeated) {
  auto& form = toImport();
  open(form, kMediumBank);
  backend.click(form.单选框2);
  backend.type(form.编辑框1, gbk("半途"));
  backend.clearMessages();
  backend.click(form.按钮_导入题库);
  // Cancel: the form stays and the import runs to its end.
  backend.answerMessageBoxes({ui::mb::kIdCancel, ui::mb::kIdCancel});
  backend.click(form.按钮_返回题库选择);
  backend.closeBox(form);
  backend.runPending();
  ASSERT_TRUE(form.alive());
  finish(form);
  ASSERT_TRUE(form.alive());
  const Strings asked = shownTexts();
  EXPECT_EQ(std::count(asked.begin(), asked.end(), kStopQuestion), 2);
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back().rfind("题目已导入完毕", 0), 0u) << asked.back();
  // Rows the bank holds already (the same once stored) are skipped.
  const int whole = recordsIn("半途.edb");
  EXPECT_GT(whole, 0);
  EXPECT_LE(whole, form.超级列表框.rowCount());

  // Stopped after its first rows went in: the rest comes with the next import of the workbook.
  open(form, kMediumBank);  // a fresh table, without the results of the first import
  backend.click(form.单选框2);
  backend.type(form.编辑框1, gbk("再来"));
  backend.clearMessages();
  backend.click(form.按钮_导入题库);
  // The result column shows the workbook's own fourth column until the first rows went in.
  ASSERT_TRUE(backend.runUntil(
      [&] { return cp936::toUtf8(form.超级列表框.cell(0, 3)) == "导入成功" || buttonsOn(form); },
      60000));
  if (buttonsOn(form)) GTEST_SKIP() << "the import ended before it could be left";
  backend.click(form.按钮_返回题库选择);
  backend.runPending();
  ASSERT_TRUE(backend.runUntil([&] { return import->idle(); }, 60000));
  backend.runPending();
  const int part = recordsIn("再来.edb");
  EXPECT_GT(part, 0);
  EXPECT_LT(part, whole);
  const Strings said = shownTexts();  // after the notice of the repeated rows removed
  ASSERT_GE(said.size(), 2u);
  EXPECT_EQ(Strings(said.end() - 2, said.end()), (Strings{kStopQuestion, stoppedText(part)}));

  auto& again = toImportFrom(only<app::BankChooserForm>());
  open(again, kMediumBank);
  importInto(again, "再来");
  EXPECT_EQ(recordsIn("再来.edb"), whole);
  const std::string done = shownTexts().back();
  const std::string imported = "共新导入" + std::to_string(whole - part) + "条数据";
  EXPECT_EQ(done.substr(done.size() - std::min(done.size(), imported.size())), imported) << done;
}

TEST_F(ImportFormTest, TheRadioButtonsSwitchBetweenTheTwoTargetControls) {
  auto& form = toImport();
  EXPECT_TRUE(form.组合框1.visible());
  EXPECT_FALSE(form.编辑框1.visible());
  backend.click(form.单选框2);
  EXPECT_FALSE(form.组合框1.visible());
  EXPECT_TRUE(form.编辑框1.visible());
  backend.click(form.单选框1);
  EXPECT_TRUE(form.组合框1.visible());
  EXPECT_FALSE(form.编辑框1.visible());
}

TEST_F(ImportFormTest, ImportingIntoANewBankThenAgainSkipsEveryRow) {
  auto& form = toImport();
  open(form, kSmallBank);
  importInto(form, "新题库");

  ASSERT_EQ(backend.messages().size(), 2u);
  EXPECT_EQ(cp936::toUtf8(backend.messages()[0].text), "已删除表格中重复内容1条");
  EXPECT_EQ(cp936::toUtf8(backend.messages()[0].caption), "友情提醒");
  EXPECT_EQ(backend.messages()[0].timeoutMs, 2000u);
  EXPECT_EQ(cp936::toUtf8(backend.messages()[1].text),
            "题目已导入完毕\r\n已跳过重复项0条数据\r\n共新导入200条数据");
  EXPECT_EQ(form.超级列表框.rowCount(), 200);
  EXPECT_EQ(form.超级列表框.cell(199, 0), "200");
  // One row holds a character outside GBK in its question and one in its answer; it says so.
  Strings imported(200, "导入成功");
  imported[28] = "导入成功（有2个字符题库无法保存，已存为“?”）";
  EXPECT_EQ(resultColumn(form), imported);
  EXPECT_EQ(recordsIn("新题库.edb"), 200);
  EXPECT_FALSE(banks->sharedBank().use(
      [&](bank::RecordDatabase& db) { return db.isOpen(bankFile("新题库.edb")); }));

  // Comparing, then importing, each took the bar to its end; it is empty again.
  const auto& bar = progressSet(form);
  EXPECT_GE(std::count(bar.begin(), bar.end(), 100), 2);
  EXPECT_EQ(bar.back(), 0);
  // The list was told of every row whose result changed.
  const auto& told = ui::headless::HeadlessBackend::peerOf(form.超级列表框).redrawnRows();
  std::vector<bool> redrawn(200, false);
  for (const auto& range : told)
    for (int row = std::max(range.first, 0); row <= std::min(range.last, 199); ++row)
      redrawn[std::size_t(row)] = true;
  EXPECT_EQ(redrawn, std::vector<bool>(200, true));

  backend.clearMessages();
  clickImport(form);  // the same name: the bank is used as it is
  ASSERT_EQ(backend.messages().size(), 2u);
  EXPECT_EQ(cp936::toUtf8(backend.messages()[0].text), "已删除表格中重复内容0条");
  EXPECT_EQ(cp936::toUtf8(backend.messages()[1].text),
            "题目已导入完毕\r\n已跳过重复项200条数据\r\n共新导入0条数据");
  EXPECT_EQ(resultColumn(form), Strings(200, "重复内容"));
  EXPECT_EQ(recordsIn("新题库.edb"), 200);
  EXPECT_EQ(banks->questionBank().targetBankPath(), bankFile("新题库.edb"));
  EXPECT_TRUE(buttonsOn(form));
}

// CSV and text files go the way a workbook goes: the same table, the same de-duplication.
TEST_F(ImportFormTest, CsvAndTextFilesFillTheTableAndImportLikeAWorkbook) {
  auto& form = toImport();
  banktest::writeBytes(runDir / "pairs.csv",
                       "序号,题目,答案\n1,甲问,甲答\n2,乙问,乙答\n3,甲问,甲答\n");
  open(form, runDir / "pairs.csv");
  ASSERT_EQ(form.超级列表框.rowCount(), 3);
  EXPECT_EQ(cp936::toUtf8(form.超级列表框.cell(1, 1)), "乙问");
  EXPECT_EQ(cp936::toUtf8(form.超级列表框.cell(1, 2)), "乙答");
  EXPECT_FALSE(fs::exists(runDir / xlbind::libraryFileName())) << "no spreadsheet library needed";
  importInto(form, "文本题库");
  EXPECT_EQ(recordsIn("文本题库.edb"), 2);
  EXPECT_EQ(cp936::toUtf8(backend.messages()[0].text), "已删除表格中重复内容1条");

  // A one-field CSV is refused with a word; the table stays empty.
  backend.clearMessages();
  banktest::writeBytes(runDir / "one.csv", "only\nfields\n");
  open(form, runDir / "one.csv");
  EXPECT_EQ(form.超级列表框.rowCount(), 0);
  EXPECT_TRUE(buttonsOn(form));
  EXPECT_EQ(shownTexts(), (Strings{"无法读取该文件：它不是可导入的CSV或文本文件，或者已经损坏"}));
}

TEST_F(ImportFormTest, AWorkbookOfSeveralSheetsOffersThemWithTheFirstShown) {
  auto& form = toImport();
  auto& sheets = form.组合框_工作表;
  const ui::Rect designed = form.超级列表框.bounds();
  EXPECT_EQ(designed, (ui::Rect{5, 88, 984, 496})) << "the table stays where the form has it";
  EXPECT_FALSE(sheets.visible());
  open(form, kSmallBank);
  ASSERT_TRUE(sheets.visible());
  EXPECT_TRUE(form.标签_工作表.visible());
  const ui::Rect moved = form.超级列表框.bounds();
  EXPECT_GE(moved.top, sheets.bounds().top + sheets.bounds().height)
      << "the table would cover the row";
  EXPECT_EQ(moved.top + moved.height, designed.top + designed.height);
  ASSERT_EQ(sheets.count(), 2);
  EXPECT_EQ(cp936::toUtf8(sheets.itemText(1)), "说明");
  EXPECT_EQ(sheets.selectedIndex(), 0);
  EXPECT_EQ(form.超级列表框.rowCount(), 201);

  backend.select(sheets, 1);
  finish(form);
  EXPECT_EQ(form.超级列表框.rowCount(), 1);
  EXPECT_EQ(sheets.selectedIndex(), 1);
  backend.select(sheets, 0);
  finish(form);
  EXPECT_EQ(form.超级列表框.rowCount(), 201);

  // A file without worksheets takes the choice away.
  banktest::writeBytes(runDir / "pairs.csv", "题目,答案\n问,答\n");
  open(form, runDir / "pairs.csv");
  EXPECT_FALSE(sheets.visible());
  EXPECT_FALSE(form.标签_工作表.visible());
  EXPECT_EQ(form.超级列表框.bounds(), designed);
}

TEST_F(ImportFormTest, OnAScaledScreenTheTableIsPlacedAtTheFormsScale) {
  backend.setFormDpi(192);
  auto& form = toImport();
  form.showSheetRow(true);
  ui::Rect below = app::importTablePlace(true);
  EXPECT_EQ(form.超级列表框.bounds(),
            (ui::Rect{2 * below.left, 2 * below.top, 2 * below.width, 2 * below.height}));
  form.showSheetRow(false);
  EXPECT_EQ(form.超级列表框.bounds(), (ui::Rect{10, 176, 1968, 992}));
}

TEST_F(ImportFormTest, ImportingIntoTheChosenExistingBank) {
  makeBank("旧题库.edb", 2);
  auto& form = toImport();
  open(form, kSmallBank);
  clickImport(form);
  EXPECT_EQ(recordsIn("旧题库.edb"), 202);
}

TEST_F(ImportFormTest, RefusalsLeaveTheTableAndTheButtonsAsTheyWere) {
  auto& form = toImport();
  clickImport(form);  // an empty table
  backend.click(form.单选框2);
  open(form, kSmallBank);
  clickImport(form);                // no new bank name
  importInto(form, "..\\outside");  // a name that leaves the bank folder
  backend.click(form.单选框1);
  clickImport(form);  // no bank to choose: the folder itself

  EXPECT_EQ(shownTexts(),
            (Strings{"表格为空，请导入excel表格题库！", "请输入要新建的  数据库名称  ！",
                     "题库名称不能包含以下字符：\\ / : * ? \" < > |", "打开数据库失败"}));
  EXPECT_FALSE(fs::exists(runDir / "outside.edb"));
  EXPECT_EQ(form.超级列表框.rowCount(), 201);
  EXPECT_TRUE(buttonsOn(form));
}

TEST_F(ImportFormTest, ANewBankNameMeansOneBankWithOrWithoutItsExtension) {
  auto& form = toImport();
  open(form, kSmallBank);
  importInto(form, "abc.edb");
  EXPECT_TRUE(fs::is_regular_file(bankFile("abc.edb")));
  EXPECT_EQ(recordsIn("abc.edb"), 200);
  makeBank("Mixed.EDB", 1);
  importInto(form, "mixed");  // the bank there, whatever its letter case: never made anew
  EXPECT_EQ(recordsIn("Mixed.EDB"), 201);
  std::vector<fs::path> names;
  for (const auto& entry : fs::directory_iterator(bankFile("")))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<fs::path>{"Mixed.EDB", "abc.edb"}));
}

TEST_F(ImportFormTest, NamesWindowsCannotStoreAreRefusedAndNothingIsMade) {
  auto& form = toImport();
  open(form, kSmallBank);
  for (const char* name : {"   ", "a*b", "CON", "trailing.", "物理\t题库", "a\x02z"})
    importInto(form, name);
  EXPECT_EQ(shownTexts(),
            (Strings{"题库名称不能为空！", "题库名称不能包含以下字符：\\ / : * ? \" < > |",
                     "题库名称不能使用系统保留的名称（如 CON、PRN、AUX、NUL、COM1、LPT1）！",
                     "题库名称不能以点或空格结尾！", "题库名称不能包含制表符（Tab）！",
                     "题库名称不能包含控制字符（U+0002）！"}));
  EXPECT_EQ(std::distance(fs::directory_iterator(bankFile("")), fs::directory_iterator()), 0);
}

TEST_F(ImportFormTest, ARowWithCharactersTheBankCannotStoreSaysHowMany) {
  auto& form = toImport();
  open(form, fs::path(QUORVIX_SPARSE_WORKBOOKS) / "gaps.xlsx");
  ASSERT_EQ(form.超级列表框.rowCount(), 4999);
  importInto(form, "gaps");
  ASSERT_EQ(form.超级列表框.rowCount(), 3);  // the empty rows were one pair
  EXPECT_EQ(resultColumn(form),
            (Strings{"导入成功", "导入成功", "导入成功（有3个字符题库无法保存，已存为“?”）"}));
  EXPECT_EQ(recordsIn("gaps.edb"), 3);
}

TEST_F(ImportFormTest, EveryRowResultHasItsText) {
  namespace texts = app::import_texts;
  EXPECT_EQ(cp936::toUtf8(texts::resultText(importer::RowResult::duplicate)), "重复内容");
  EXPECT_EQ(cp936::toUtf8(texts::resultText(importer::RowResult::imported)), "导入成功");
  EXPECT_EQ(cp936::toUtf8(texts::resultText(importer::RowResult::failed)), "导入失败");
  EXPECT_EQ(cp936::toUtf8(texts::missingFunctionText("libxl.dll", "xlBookLoadW")),
            "无法找到指定DLL库文件“libxl.dll”中的输出命令“xlBookLoadW”");
}

}  // namespace
