// Quorvix.exe under Wine filling a bank from a real workbook: the open-file dialog, the table the
// first worksheet is loaded into (titles, cells, numbers shown as the workbook formats them), the
// spreadsheet library written (or replaced) beside the program, the import into a new bank and a
// second import of the same rows, a cancelled dialog and the refusals of the load and the
// import; then the large workbook, loaded and imported while the form keeps answering and its
// progress bar moves, and a form left or closed in the middle of that work. The banks the
// imports wrote are read back afterwards by the independent bank tool (see CMakeLists.txt).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "main_forms.h"
// commctrl.h needs the types windows.h defines.
#include <commctrl.h>

namespace {

using e2e::button;
using e2e::Program;
using e2e::waitForMainForm;
using e2e::waitUntil;

constexpr SIZE kChooserSize{590, 240};
constexpr SIZE kImportFormSize{1000, 622};
const std::wstring kWorkbook = L"qbank_small.xlsx";
const std::wstring kLargeWorkbook = L"qbank_large.xlsx";
// The large workbook: 50,000 rows, 194 of them repeats; of the rest, 7,357 pairs come out
// equal to an earlier one once cut to the bank's 1,000 bytes a field.
constexpr int kLargeRows = 50000;
constexpr int kLargeRepeats = 194;
constexpr int kLargeHeldWhenCut = 7357;
const std::wstring kNewBank = L"导入测试";
// The workbook's 200 questions and its empty row; one question/answer pair is there twice.
constexpr int kWorkbookRows = 201;
constexpr int kRepeatedRows = 1;
const std::vector<std::wstring> kDesignedTitles{L"序号", L"题目", L"答案", L"结果"};
const std::vector<std::wstring> kWorkbookTitles{L"序号", L"题目", L"答案", L"备注"};

std::wstring doneMessage(int skipped, int imported) {
  return L"题目已导入完毕\r\n已跳过重复项" + std::to_wstring(skipped) + L"条数据\r\n共新导入" +
         std::to_wstring(imported) + L"条数据";
}

bool gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

HWND waitForMessageBox(const Program& program, const std::wstring& caption, DWORD timeoutMs) {
  HWND box = nullptr;
  waitUntil([&] { return (box = e2e::messageBox(program.id(), caption)) != nullptr; }, timeoutMs);
  return box;
}

// The import form's parts this test works, found by kind and caption.
struct ImportFormParts {
  explicit ImportFormParts(HWND form) : window(form) {
    auto lists = e2e::childrenOfClass(form, L"SysListView32");
    if (lists.size() == 1) table = lists[0];
    auto bars = e2e::childrenOfClass(form, L"msctls_progress32");
    if (bars.size() == 1) progress = bars[0];
    open = button(form, L"打开 EXCEL");
    import = button(form, L"导入题库");
    newBank = button(form, L"导入新建题库");
  }
  bool complete() const { return table && open && import && newBank && progress; }
  int barPosition() const {
    DWORD_PTR position = 0;
    SendMessageTimeoutW(progress, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position);
    return int(position);
  }
  bool idle() const { return IsWindowEnabled(open) && IsWindowEnabled(import); }
  int rows() const { return e2e::listRowCount(table); }
  std::wstring cell(int row, int column) const { return e2e::listCellText(table, row, column); }
  // Excel row N of the first worksheet is table row N - 2 (the header row gives the titles).
  std::wstring excelCell(int excelRow, int column) const { return cell(excelRow - 2, column); }

  // "导入新建题库", then the bank name typed into the edit box shown in place of the combo box.
  bool chooseNewBank(const std::wstring& name) const {
    e2e::click(newBank);
    HWND edit = nullptr;
    bool shown = waitUntil(
        [&] {
          // Not the edit part of a combo box: the name box of its own.
          for (HWND candidate : e2e::childrenOfClass(window, L"Edit")) {
            if (IsWindowVisible(candidate) && GetParent(candidate) == window) edit = candidate;
          }
          return edit != nullptr;
        },
        10000);
    if (!shown) return false;
    e2e::setText(edit, name);
    return e2e::textOf(edit) == name;
  }

  HWND window;
  HWND table = nullptr;
  HWND open = nullptr;
  HWND import = nullptr;
  HWND newBank = nullptr;
  HWND progress = nullptr;
};

// Watches a form from outside while it works: how long its list takes to say how many rows it
// has (the slowest answer), and how far its progress bar got.
struct Watch {
  explicit Watch(const ImportFormParts& form) : form(form) {}
  // One look: a question to the list, timed, and the bar read.
  void look() {
    const auto start = std::chrono::steady_clock::now();
    DWORD_PTR rows = 0;
    answered =
        SendMessageTimeoutW(form.table, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 10000, &rows) != 0 &&
        answered;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    slowestMs = std::max(slowestMs, ms);
    const int bar = form.barPosition();
    highestBar = std::max(highestBar, bar);
    if (bar > 0 && bar < 100) barBetween = true;
  }
  // Looks every 20 ms until `done` holds; false after timeoutMs.
  bool until(const std::function<bool()>& done, DWORD timeoutMs) {
    return e2e::waitUntil(
        [&] {
          look();
          return done();
        },
        timeoutMs);
  }
  const ImportFormParts& form;
  double slowestMs = 0;
  int highestBar = 0;
  bool barBetween = false;
  bool answered = true;
};

// Agrees to the disclaimer and goes from the bank chooser to the import form.
HWND openImportForm(const Program& program) {
  HWND disclaimer = waitForMainForm(program, {540, 207});
  if (!disclaimer) return nullptr;
  e2e::click(button(disclaimer, L"同    意"));
  HWND chooser = waitForMainForm(program, kChooserSize);
  if (!chooser) return nullptr;
  e2e::click(button(chooser, L"导 入 题 库"));
  return waitForMainForm(program, kImportFormSize);
}

// The test workbook, copied beside the program as a user would keep it.
std::filesystem::path copyWorkbook(const Program& program) {
  auto source = e2e::fromBuildPath(QUORVIX_FIXTURES) / L"qbank" / kWorkbook;
  auto copy = program.folder() / kWorkbook;
  std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
  // The shared fixture is read-only; so would be the copy, and the next run could not clear
  // the run folder.
  SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
  return copy;
}

// Presses "打开 EXCEL", picks the workbook in the system dialog and waits until the table is
// filled and the buttons are usable again.
::testing::AssertionResult loadWorkbook(const Program& program, const ImportFormParts& form,
                                        const std::filesystem::path& workbook) {
  e2e::click(form.open);
  if (!e2e::chooseFileInOpenDialog(program.id(), workbook.wstring())) {
    return ::testing::AssertionFailure() << "the open-file dialog could not be worked";
  }
  if (!waitUntil([&] { return form.idle() && form.rows() == kWorkbookRows; }, 30000)) {
    return ::testing::AssertionFailure() << "table rows after loading: " << form.rows();
  }
  return ::testing::AssertionSuccess();
}

// The FileVersion text of a file's version resource, read under its first translation.
std::wstring fileVersion(const std::filesystem::path& file) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(Translation)) {
    return {};
  }
  wchar_t key[64];
  wsprintfW(key, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->language,
            translation->codePage);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&value), &length) || !value) {
    return {};
  }
  return value;
}

TEST(ImportForm, LoadsTheFirstSheetShowingFormattedCellsAndWritesTheLibraryBesideTheProgram) {
  Program program(e2e::runFolder());
  HWND window = openImportForm(program);
  ASSERT_NE(window, nullptr) << "no import form of 1000 x 622 titled as the program";
  ImportFormParts form(window);
  ASSERT_TRUE(form.complete());
  EXPECT_EQ(form.rows(), 0);
  EXPECT_EQ(e2e::listColumnTitles(form.table), kDesignedTitles);
  auto library = program.folder() / L"libxl.dll";
  EXPECT_FALSE(std::filesystem::exists(library)) << "the library is written only when needed";

  auto workbook = copyWorkbook(program);
  ASSERT_TRUE(loadWorkbook(program, form, workbook));
  e2e::keepScreenshot(window, "5-import-table");

  // The first sheet only; its header row names the columns.
  EXPECT_EQ(form.rows(), kWorkbookRows);
  EXPECT_EQ(e2e::listColumnTitles(form.table), kWorkbookTitles);
  EXPECT_EQ(form.excelCell(2, 0), L"1");
  EXPECT_EQ(form.excelCell(2, 2), L"A．脂质、RNA");
  EXPECT_EQ(form.excelCell(2, 3), L"2019年（新课标ⅱ） 生物选择题");
  EXPECT_EQ(form.excelCell(43, 0), L"0200") << "a text serial stays text";
  EXPECT_EQ(form.excelCell(44, 1), L"  光合作用的场所是什么？  ") << "spaces are kept";
  EXPECT_EQ(form.excelCell(44, 2), L"叶绿体");
  EXPECT_EQ(form.excelCell(202, 0), L"200");

  // Numbers as the workbook's number formats show them.
  EXPECT_EQ(form.excelCell(55, 2), L"25.6%");
  EXPECT_EQ(form.excelCell(56, 2), L"25.6%");
  EXPECT_EQ(form.excelCell(57, 2), L"2023-1-5");
  EXPECT_EQ(form.excelCell(58, 2), L"2023年1月5日");
  EXPECT_EQ(form.excelCell(59, 2), L"1月5日");
  EXPECT_EQ(form.excelCell(61, 2), L"13:05") << "an afternoon time keeps its 24-hour clock";
  EXPECT_EQ(form.excelCell(62, 2), L"13:05");
  EXPECT_EQ(form.excelCell(63, 2), L"9时30分");
  EXPECT_EQ(form.excelCell(64, 2), L"3.14");
  // Other kinds of cell: Booleans, an error, formulas through their results, plain numbers.
  EXPECT_EQ(form.excelCell(75, 2), L"TRUE");
  EXPECT_EQ(form.excelCell(76, 2), L"FALSE");
  EXPECT_EQ(form.excelCell(77, 2), L"");
  EXPECT_EQ(form.excelCell(78, 2), L"0.3");
  EXPECT_EQ(form.excelCell(79, 2), L"北京市");
  EXPECT_EQ(form.excelCell(80, 2), L"1.234567890123e+15");
  EXPECT_EQ(form.excelCell(81, 1), L"12345");
  EXPECT_EQ(form.excelCell(82, 2), L"-0.5");
  // The empty row in the middle is a row of empty texts; a blank question stays empty.
  for (int column = 0; column < 4; ++column) EXPECT_EQ(form.excelCell(93, column), L"");
  EXPECT_EQ(form.excelCell(94, 1), L"");
  EXPECT_EQ(form.excelCell(94, 2), L"没有题目的答案");

  // The library the load needed is now beside the program, hidden, in the expected version.
  ASSERT_TRUE(std::filesystem::exists(library));
  DWORD attributes = GetFileAttributesW(library.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(fileVersion(library), L"4.0.0.0");
}

TEST(ImportForm, ImportsIntoANewBankOnceAndFindsEveryRowThereTheSecondTime) {
  Program program(e2e::runFolder());
  HWND window = openImportForm(program);
  ASSERT_NE(window, nullptr);
  ImportFormParts form(window);
  ASSERT_TRUE(form.complete());
  ASSERT_TRUE(loadWorkbook(program, form, copyWorkbook(program)));
  ASSERT_TRUE(form.chooseNewBank(kNewBank)) << "no edit box for the new bank's name";
  // The second copy of the repeated pair is Excel row 116; the row after it moves up.
  const std::wstring afterRepeat = form.excelCell(117, 1);

  e2e::click(form.import);
  // The notice of removed repeats closes by itself.
  HWND notice = waitForMessageBox(program, L"友情提醒", 60000);
  ASSERT_NE(notice, nullptr) << "no notice of the repeated rows removed";
  EXPECT_EQ(e2e::messageBoxText(notice),
            L"已删除表格中重复内容" + std::to_wstring(kRepeatedRows) + L"条");
  EXPECT_TRUE(waitUntil([&] { return gone(notice); }, 10000)) << "the notice did not close";

  const int kept = kWorkbookRows - kRepeatedRows;
  HWND done = waitForMessageBox(program, L"信息：", 60000);
  EXPECT_EQ(form.barPosition(), 100) << "the bar is full while the outcome is shown";
  ASSERT_NE(done, nullptr) << "no message at the end of the import";
  EXPECT_EQ(e2e::messageBoxText(done), doneMessage(0, kept));
  e2e::keepScreenshot(window, "6-import-done");
  e2e::keepScreenshot(done, "7-import-done-message");
  e2e::answerMessageBox(done, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(done) && form.idle(); }, 10000));

  EXPECT_TRUE(std::filesystem::is_regular_file(program.folder() / L"题库" / (kNewBank + L".edb")));
  // The repeat is gone and the rows are numbered anew.
  ASSERT_EQ(form.rows(), kept);
  EXPECT_EQ(form.cell(0, 0), L"1");
  EXPECT_EQ(form.cell(kept - 1, 0), std::to_wstring(kept));
  EXPECT_EQ(form.cell(114, 1), afterRepeat);
  EXPECT_EQ(form.cell(114, 0), L"115");
  EXPECT_EQ(form.barPosition(), 0);
  int imported = 0;
  for (int row = 0; row < kept; ++row) imported += form.cell(row, 3) == L"导入成功";
  EXPECT_EQ(imported, kept - 1);
  // The question and the answer of Excel row 30 hold a character each that GBK lacks.
  EXPECT_EQ(form.cell(28, 3), L"导入成功（有2个字符题库无法保存，已存为“?”）");

  // The same rows into the same bank (an existing file is used as it is): all held already.
  e2e::click(form.import);
  notice = waitForMessageBox(program, L"友情提醒", 60000);
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(e2e::messageBoxText(notice), L"已删除表格中重复内容0条");
  e2e::answerMessageBox(notice, IDOK);
  done = waitForMessageBox(program, L"信息：", 60000);
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(e2e::messageBoxText(done), doneMessage(kept, 0));
  e2e::answerMessageBox(done, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(done) && form.idle(); }, 10000));
  ASSERT_EQ(form.rows(), kept);
  int repeated = 0;
  for (int row = 0; row < kept; ++row) repeated += form.cell(row, 3) == L"重复内容";
  EXPECT_EQ(repeated, kept);
}

// The imported bank written out from the chooser through the system's save dialog, as CSV:
// the header and every pair the import kept.
TEST(ImportForm, TheImportedBankIsExportedFromTheChooserThroughTheSaveDialog) {
  Program program(e2e::runFolder());
  HWND window = openImportForm(program);
  ASSERT_NE(window, nullptr);
  ImportFormParts form(window);
  ASSERT_TRUE(form.complete());
  ASSERT_TRUE(loadWorkbook(program, form, copyWorkbook(program)));
  ASSERT_TRUE(form.chooseNewBank(L"导出测试"));
  e2e::click(form.import);
  HWND done = waitForMessageBox(program, L"信息：", 60000);
  ASSERT_NE(done, nullptr);
  e2e::answerMessageBox(done, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(done) && form.idle(); }, 10000));

  e2e::click(button(window, L"返回 选择题库"));
  HWND chooser = waitForMainForm(program, kChooserSize);
  ASSERT_NE(chooser, nullptr);
  const auto target = program.folder() / L"导出.csv";
  e2e::click(button(chooser, L"导出题库"));
  ASSERT_TRUE(e2e::chooseFileInOpenDialog(program.id(), target.wstring()))
      << "the save dialog could not be worked";
  HWND exported = waitForMessageBox(program, L"信息：", 60000);
  ASSERT_NE(exported, nullptr) << "no word at the end of the export";
  const int kept = kWorkbookRows - kRepeatedRows;
  EXPECT_EQ(e2e::messageBoxText(exported).rfind(L"已导出 " + std::to_wstring(kept) + L" 道题到", 0),
            0u);
  e2e::keepScreenshot(exported, "export-done-message");
  e2e::answerMessageBox(exported, IDOK);

  std::ifstream in(target, std::ios::binary);
  ASSERT_TRUE(in) << "no exported file";
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with its mark";
  int pairs = 0;
  for (; std::getline(in, line);) pairs += !line.empty();
  EXPECT_GE(pairs, kept);  // a pair whose text holds a line break takes more than one line
}

TEST(ImportForm, CancelledDialogEmptiesTheTableAndTheImportRefusesWhatItCannotDo) {
  Program program(e2e::runFolder());
  HWND window = openImportForm(program);
  ASSERT_NE(window, nullptr);
  ImportFormParts form(window);
  ASSERT_TRUE(form.complete());

  e2e::click(form.open);
  ASSERT_TRUE(e2e::cancelOpenDialog(program.id())) << "the open-file dialog could not be closed";
  ASSERT_TRUE(waitUntil([&] { return form.idle(); }, 10000));
  Sleep(300);  // a message, if one came, would be up by now
  EXPECT_EQ(e2e::messageBox(program.id()), nullptr) << "a cancelled dialog reports nothing";
  EXPECT_EQ(form.rows(), 0);
  EXPECT_EQ(e2e::listColumnTitles(form.table), kDesignedTitles);
  EXPECT_FALSE(std::filesystem::exists(program.folder() / L"libxl.dll"));

  e2e::click(form.import);
  HWND refusal = waitForMessageBox(program, L"信息：", 10000);
  ASSERT_NE(refusal, nullptr) << "no refusal for an empty table";
  EXPECT_EQ(e2e::messageBoxText(refusal), L"表格为空，请导入excel表格题库！");
  e2e::answerMessageBox(refusal, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(refusal) && form.idle(); }, 10000));

  // A file of the library's name that is not the library (no version) is replaced.
  auto library = program.folder() / L"libxl.dll";
  { std::ofstream(library, std::ios::binary) << "not a library"; }
  ASSERT_TRUE(loadWorkbook(program, form, copyWorkbook(program)));
  EXPECT_EQ(fileVersion(library), L"4.0.0.0");
  EXPECT_TRUE(GetFileAttributesW(library.c_str()) & FILE_ATTRIBUTE_HIDDEN);

  // A new bank needs a name; the table stays as it was.
  ASSERT_TRUE(form.chooseNewBank(L""));
  e2e::click(form.import);
  refusal = waitForMessageBox(program, L"信息：", 10000);
  ASSERT_NE(refusal, nullptr) << "no refusal for a new bank without a name";
  EXPECT_EQ(e2e::messageBoxText(refusal), L"请输入要新建的  数据库名称  ！");
  e2e::answerMessageBox(refusal, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(refusal) && form.idle(); }, 10000));
  EXPECT_EQ(form.rows(), kWorkbookRows);
  EXPECT_TRUE(std::filesystem::is_empty(program.folder() / L"题库"));

  // A filled table is emptied by opening again, also when the dialog is then cancelled; the
  // titles the workbook gave stay.
  e2e::click(form.open);
  ASSERT_TRUE(e2e::cancelOpenDialog(program.id()));
  ASSERT_TRUE(waitUntil([&] { return form.idle(); }, 10000));
  EXPECT_EQ(form.rows(), 0);
  EXPECT_EQ(e2e::listColumnTitles(form.table), kWorkbookTitles);
  EXPECT_EQ(e2e::messageBox(program.id()), nullptr);
}

TEST(ImportForm, ANewBanksNameIsCheckedFirstAndANameOutsideGbkWorks) {
  Program program(e2e::runFolder());
  HWND window = openImportForm(program);
  ASSERT_NE(window, nullptr);
  ImportFormParts form(window);
  ASSERT_TRUE(form.complete());
  ASSERT_TRUE(loadWorkbook(program, form, copyWorkbook(program)));

  // A name Windows cannot store says what is wrong with it, and nothing is made.
  ASSERT_TRUE(form.chooseNewBank(L"期中*复习"));
  e2e::click(form.import);
  HWND refusal = waitForMessageBox(program, L"信息：", 10000);
  ASSERT_NE(refusal, nullptr) << "no message for a forbidden name";
  EXPECT_EQ(e2e::messageBoxText(refusal), L"题库名称不能包含以下字符：\\ / : * ? \" < > |");
  e2e::answerMessageBox(refusal, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(refusal) && form.idle(); }, 10000));
  EXPECT_TRUE(std::filesystem::is_empty(program.folder() / L"题库"));

  // Korean has no GBK form: the name still makes its own bank, never a "?" in its place.
  const std::wstring name = L"한국어 题库";
  ASSERT_TRUE(form.chooseNewBank(name));
  e2e::click(form.import);
  HWND notice = waitForMessageBox(program, L"友情提醒", 60000);
  ASSERT_NE(notice, nullptr);
  e2e::answerMessageBox(notice, IDOK);
  HWND done = waitForMessageBox(program, L"信息：", 60000);
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(e2e::messageBoxText(done), doneMessage(0, kWorkbookRows - kRepeatedRows));
  e2e::answerMessageBox(done, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(done) && form.idle(); }, 10000));
  EXPECT_TRUE(std::filesystem::is_regular_file(program.folder() / L"题库" / (name + L".edb")));
}

// The refusals of a load, in the program's own words: a file that is not a workbook, and a
// library that cannot be put beside the program (a folder of its name is in the way).
TEST(ImportForm, AFileThatIsNoWorkbookOrALibraryThatCannotBeWrittenIsSaidSo) {
  Program program(e2e::runFolder());
  HWND window = openImportForm(program);
  ASSERT_NE(window, nullptr);
  ImportFormParts form(window);
  ASSERT_TRUE(form.complete());

  // First, while nothing has loaded the library yet (a loaded library cannot be removed).
  std::filesystem::remove(program.folder() / L"libxl.dll");
  std::filesystem::create_directory(program.folder() / L"libxl.dll");
  e2e::click(form.open);
  ASSERT_TRUE(e2e::chooseFileInOpenDialog(program.id(), copyWorkbook(program).wstring()));
  HWND refusal = waitForMessageBox(program, L"信息：", 30000);
  ASSERT_NE(refusal, nullptr) << "nothing said of a library that cannot be written";
  EXPECT_EQ(e2e::messageBoxText(refusal),
            L"无法在程序所在的文件夹写出表格组件，请检查该文件夹是否可以写入");
  e2e::answerMessageBox(refusal, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(refusal) && form.idle(); }, 10000));
  EXPECT_EQ(form.rows(), 0);

  // The folder gone, the library is written again; the file given is no workbook.
  std::filesystem::remove(program.folder() / L"libxl.dll");
  auto notes = program.folder() / L"笔记.xlsx";
  { std::ofstream(notes, std::ios::binary) << "just some notes, not a workbook\n"; }
  e2e::click(form.open);
  ASSERT_TRUE(e2e::chooseFileInOpenDialog(program.id(), notes.wstring()));
  refusal = waitForMessageBox(program, L"信息：", 30000);
  ASSERT_NE(refusal, nullptr) << "nothing said of a file that is not a workbook";
  EXPECT_EQ(e2e::messageBoxText(refusal), L"无法打开该文件：它不是Excel工作簿，或者已经损坏");
  e2e::answerMessageBox(refusal, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(refusal) && form.idle(); }, 10000));
  EXPECT_EQ(form.rows(), 0);

  EXPECT_EQ(form.barPosition(), 0);
}

// The large workbook through the form: the form answers a question from outside at every look
// while the worker reads and imports (the slowest answer is printed for the record), the bar
// moves and ends empty, and the list shows the model's rows and results.
TEST(ImportForm, TheLargeWorkbookLoadsAndImportsWhileTheFormAnswersAndItsBarMoves) {
  Program program(e2e::runFolder());
  HWND window = openImportForm(program);
  ASSERT_NE(window, nullptr);
  ImportFormParts form(window);
  ASSERT_TRUE(form.complete());
  auto workbook = program.folder() / kLargeWorkbook;
  std::filesystem::copy_file(e2e::fromBuildPath(QUORVIX_FIXTURES) / L"qbank" / kLargeWorkbook,
                             workbook);
  SetFileAttributesW(workbook.c_str(), FILE_ATTRIBUTE_NORMAL);

  e2e::click(form.open);
  ASSERT_TRUE(e2e::chooseFileInOpenDialog(program.id(), workbook.wstring()));
  Watch loading(form);
  ASSERT_TRUE(loading.until([&] { return form.idle() && form.rows() == kLargeRows; }, 300000))
      << "rows after loading: " << form.rows();
  std::printf("[ loading  ] slowest answer of the form's list %.0f ms; bar up to %d\n",
              loading.slowestMs, loading.highestBar);
  EXPECT_TRUE(loading.answered) << "the form did not answer within 10 s";
  EXPECT_TRUE(loading.barBetween) << "the bar never showed the load under way";
  EXPECT_EQ(form.barPosition(), 0);
  EXPECT_EQ(form.cell(0, 0), L"1");
  EXPECT_EQ(form.cell(0, 1).substr(0, 33), L"21. --- Have  you finished  readi");
  EXPECT_EQ(form.cell(kLargeRows - 1, 0), std::to_wstring(kLargeRows));
  EXPECT_EQ(form.cell(kLargeRows - 1, 1).substr(0, 5), L"16．材料");
  e2e::keepScreenshot(window, "8-large-table");

  ASSERT_TRUE(form.chooseNewBank(L"大题库"));
  e2e::click(form.import);
  Watch importing(form);
  HWND notice = nullptr;
  ASSERT_TRUE(importing.until(
      [&] { return (notice = e2e::messageBox(program.id(), L"友情提醒")) != nullptr; }, 120000));
  EXPECT_EQ(e2e::messageBoxText(notice),
            L"已删除表格中重复内容" + std::to_wstring(kLargeRepeats) + L"条");
  e2e::answerMessageBox(notice, IDOK);
  HWND done = nullptr;
  ASSERT_TRUE(importing.until(
      [&] { return (done = e2e::messageBox(program.id(), L"信息：")) != nullptr; }, 300000));
  std::printf("[ importing] slowest answer of the form's list %.0f ms; bar up to %d\n",
              importing.slowestMs, importing.highestBar);
  EXPECT_TRUE(importing.answered) << "the form did not answer within 10 s";
  const int kept = kLargeRows - kLargeRepeats;
  EXPECT_EQ(e2e::messageBoxText(done), doneMessage(kLargeHeldWhenCut, kept - kLargeHeldWhenCut));
  EXPECT_EQ(form.barPosition(), 100);
  e2e::keepScreenshot(window, "9-large-import-done");
  e2e::answerMessageBox(done, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(done) && form.idle(); }, 10000));
  EXPECT_EQ(form.barPosition(), 0);
  ASSERT_EQ(form.rows(), kept);
  EXPECT_EQ(form.cell(kept - 1, 0), std::to_wstring(kept));
  EXPECT_EQ(form.cell(0, 3), L"导入成功");
  for (int row : {1000, 20000, kept - 1}) {
    const std::wstring result = form.cell(row, 3);
    EXPECT_TRUE(result.rfind(L"导入成功", 0) == 0 || result == L"重复内容") << row;
  }
}

// Leaving the form while it loads, and closing it while it imports: the form goes at once,
// the work stops, and the program ends with the bank whole (read back afterwards by the bank
// tool, see CMakeLists.txt).
TEST(ImportForm, LeavingDuringALoadAndClosingDuringAnImportStopTheWork) {
  Program program(e2e::runFolder());
  HWND window = openImportForm(program);
  ASSERT_NE(window, nullptr);
  auto workbook = program.folder() / kLargeWorkbook;
  std::filesystem::copy_file(e2e::fromBuildPath(QUORVIX_FIXTURES) / L"qbank" / kLargeWorkbook,
                             workbook);
  SetFileAttributesW(workbook.c_str(), FILE_ATTRIBUTE_NORMAL);
  {
    ImportFormParts form(window);
    ASSERT_TRUE(form.complete());
    e2e::click(form.open);
    ASSERT_TRUE(e2e::chooseFileInOpenDialog(program.id(), workbook.wstring()));
    ASSERT_TRUE(waitUntil([&] { return form.rows() > 0; }, 120000));
    ASSERT_FALSE(form.idle()) << "the load ended before the form could be left";
    e2e::click(button(window, L"返回 选择题库"));
  }
  HWND chooser = waitForMainForm(program, kChooserSize);
  ASSERT_NE(chooser, nullptr) << "the bank chooser did not come back";

  e2e::click(button(chooser, L"导 入 题 库"));
  window = waitForMainForm(program, kImportFormSize);
  ASSERT_NE(window, nullptr);
  ImportFormParts form(window);
  ASSERT_TRUE(form.complete());
  e2e::click(form.open);
  ASSERT_TRUE(e2e::chooseFileInOpenDialog(program.id(), workbook.wstring()));
  ASSERT_TRUE(waitUntil([&] { return form.idle() && form.rows() == kLargeRows; }, 300000));
  ASSERT_TRUE(form.chooseNewBank(L"关闭测试"));
  e2e::click(form.import);
  HWND notice = waitForMessageBox(program, L"友情提醒", 120000);
  ASSERT_NE(notice, nullptr);
  e2e::answerMessageBox(notice, IDOK);
  // Some rows have their result by now, not all: the import is under way.
  ASSERT_TRUE(waitUntil([&] { return form.barPosition() >= 10; }, 120000));
  EXPECT_EQ(e2e::messageBox(program.id(), L"信息："), nullptr) << "the import ended too soon";
  // Closing asks first; on OK the import stops and says how far it got.
  PostMessageW(window, WM_CLOSE, 0, 0);
  HWND question = waitForMessageBox(program, L"信息：", 30000);
  ASSERT_NE(question, nullptr) << "closing during an import did not ask";
  EXPECT_EQ(e2e::messageBoxText(question), L"导入尚未完成，确定要停止吗？");
  LARGE_INTEGER start, end, frequency;
  QueryPerformanceCounter(&start);
  e2e::answerMessageBox(question, IDOK);
  ASSERT_TRUE(waitUntil([&] { return gone(question); }, 10000));
  HWND stopped = waitForMessageBox(program, L"信息：", 30000);
  ASSERT_NE(stopped, nullptr) << "the stopped import did not say how far it got";
  QueryPerformanceCounter(&end);
  const std::wstring said = e2e::messageBoxText(stopped);
  EXPECT_EQ(said.rfind(L"导入已停止，已导入", 0), 0u);
  EXPECT_NE(said.find(L"再次导入同一工作簿即可完成导入"), std::wstring::npos);
  e2e::answerMessageBox(stopped, IDOK);
  EXPECT_EQ(program.waitForExit(60000), 0) << "the program did not end with its last form";
  QueryPerformanceFrequency(&frequency);
  const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  std::printf("stop time, closing the last form during an import: %.3f s\n", seconds);
  // The import stops at its next batch; the program does not wait for the rest.
  EXPECT_LT(seconds, 3.0);
}

}  // namespace
