// The release zip as a user meets it: a copy unpacked into a folder of its own (run_smoke.sh
// unpacks it and names the folder), started there under a fresh Wine prefix with only loopback
// reachable and no settings file. Through the disclaimer, a workbook imported into a new bank,
// a typed keyword answered from it, and a question another program draws recognised by the
// program's own engine with the models from the zip, and answered. And a copy in a folder it
// cannot write in, which it says at once.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "answer_forms.h"
#include "capture_driver.h"
#include "x_keyboard.h"

namespace {

namespace fs = std::filesystem;
using e2e::button;
using e2e::Program;
using e2e::waitForMainForm;
using e2e::waitUntil;

constexpr SIZE kImportFormSize{1000, 622};
const std::wstring kNewBank = L"我的题库";
// A question of the workbook, its answer, and the question the capture target draws.
const std::wstring kKeyword = L"陈独秀意在";
const std::wstring kKeywordAnswer = L"B．批判封建伦理";
const std::wstring kDrawnQuestion = L"长江流经哪些省份？";

using e2e::utf8;

// The unpacked copy named by an environment variable (a Linux path), or empty.
fs::path unpackedCopy(const wchar_t* variable) {
  wchar_t value[4096];
  DWORD n = GetEnvironmentVariableW(variable, value, 4096);
  if (n == 0 || n >= 4096) return {};
  std::wstring text(value, n);
  if (!text.empty() && text[0] == L'/') text = L"Z:" + text;
  return fs::path(text).make_preferred();
}

HWND waitForBox(const Program& program, const std::wstring& caption, DWORD timeoutMs) {
  HWND box = nullptr;
  waitUntil([&] { return (box = e2e::messageBox(program.id(), caption)) != nullptr; }, timeoutMs);
  return box;
}

HWND editOfItsOwn(HWND form) {
  HWND edit = nullptr;
  waitUntil(
      [&] {
        for (HWND candidate : e2e::childrenOfClass(form, L"Edit"))
          if (IsWindowVisible(candidate) && GetParent(candidate) == form) edit = candidate;
        return edit != nullptr;
      },
      10000);
  return edit;
}

// The chooser's bank `name` opened on the answer form.
HWND answerFormOver(const Program& program, HWND chooser, const std::wstring& name) {
  if (!waitUntil([&] { return e2e::selectComboItem(e2e::chooserCombo(chooser), name); }, 10000))
    return nullptr;
  e2e::click(button(chooser, L"开 始 考 试"));
  return waitForMainForm(program, e2e::kAnswerFormSize);
}

void useLikeAUser(const fs::path& folder, const std::string& shotPrefix) {
  ASSERT_FALSE(folder.empty()) << "no unpacked copy named";
  ASSERT_TRUE(fs::is_regular_file(folder / L"Quorvix.exe"));
  ASSERT_FALSE(fs::exists(folder / L"配置.ini"));
  // The mouse and key helpers keep their exchange files in the runs folder.
  fs::create_directories(e2e::fromBuildPath(QUORVIX_E2E_RUNS));
  // The workbook lies elsewhere, as a user's documents do; the bank of the drawn question is
  // one the user kept from before and put back into the bank folder.
  const fs::path documents = folder.parent_path() / (folder.filename().wstring() + L" 文档");
  fs::create_directories(documents);
  const fs::path workbook = documents / L"题库表格.xlsx";
  fs::copy_file(e2e::fromBuildPath(QUORVIX_FIXTURES) / L"qbank" / L"qbank_small.xlsx", workbook,
                fs::copy_options::overwrite_existing);
  SetFileAttributesW(workbook.c_str(), FILE_ATTRIBUTE_NORMAL);
  fs::create_directories(folder / L"题库");
  fs::copy_file(e2e::fromBuildPath(QUORVIX_E2E_BANKS) / e2e::kFullBank,
                folder / L"题库" / e2e::kFullBank, fs::copy_options::overwrite_existing);

  e2e::CaptureTarget target(L"--question");
  ASSERT_NE(target.window(), nullptr);
  Program program(Program::InPlace{}, folder);
  ASSERT_TRUE(program.started());

  HWND disclaimer = waitForMainForm(program, {540, 207});
  ASSERT_NE(disclaimer, nullptr) << "no disclaimer";
  e2e::click(button(disclaimer, L"同    意"));
  HWND chooser = waitForMainForm(program, e2e::kChooserSize);
  ASSERT_NE(chooser, nullptr);

  // A workbook into a new bank.
  e2e::click(button(chooser, L"导 入 题 库"));
  HWND importForm = waitForMainForm(program, kImportFormSize);
  ASSERT_NE(importForm, nullptr);
  auto tables = e2e::childrenOfClass(importForm, L"SysListView32");
  ASSERT_EQ(tables.size(), 1u);
  e2e::click(button(importForm, L"打开 EXCEL"));
  ASSERT_TRUE(e2e::chooseFileInOpenDialog(program.id(), workbook.wstring()));
  ASSERT_TRUE(waitUntil([&] { return e2e::listRowCount(tables[0]) > 100; }, 30000))
      << "the workbook did not load";
  e2e::click(button(importForm, L"导入新建题库"));
  HWND name = editOfItsOwn(importForm);
  ASSERT_NE(name, nullptr);
  e2e::setText(name, kNewBank);
  e2e::click(button(importForm, L"导入题库"));
  HWND notice = waitForBox(program, L"友情提醒", 60000);
  if (notice) e2e::answerMessageBox(notice, IDOK);
  HWND done = waitForBox(program, L"信息：", 60000);
  ASSERT_NE(done, nullptr) << "the import did not end";
  EXPECT_EQ(e2e::messageBoxText(done).rfind(L"题目已导入完毕", 0), 0u);
  e2e::answerMessageBox(done, IDOK);
  EXPECT_TRUE(fs::is_regular_file(folder / L"题库" / (kNewBank + L".edb")));
  EXPECT_TRUE(fs::is_regular_file(folder / L"libxl.dll")) << "the spreadsheet library";
  ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(button(importForm, L"导入题库")); }, 10000));
  e2e::click(button(importForm, L"返回 选择题库"));
  chooser = waitForMainForm(program, e2e::kChooserSize);
  ASSERT_NE(chooser, nullptr);

  // A typed keyword answered from the new bank.
  HWND answer = answerFormOver(program, chooser, kNewBank + L".edb");
  ASSERT_NE(answer, nullptr);
  {
    e2e::AnswerFormParts form(answer);
    ASSERT_NE(form.keyword, nullptr);
    form.search(kKeyword);
    EXPECT_TRUE(waitUntil([&] { return e2e::textOf(form.answer) == kKeywordAnswer; }, 15000))
        << "answer shown: " << utf8(e2e::textOf(form.answer));
    e2e::keepScreenshot(answer, shotPrefix + "-typed");
  }
  e2e::click(button(answer, L"返回"));
  chooser = waitForMainForm(program, e2e::kChooserSize);
  ASSERT_NE(chooser, nullptr);

  // A drawn question read by the program's own engine: F4 and a drag over it.
  answer = answerFormOver(program, chooser, e2e::kFullBank);
  ASSERT_NE(answer, nullptr);
  e2e::AnswerFormParts form(answer);
  e2e::click(button(answer, L"截屏取词"));
  e2e::click(button(answer, L"开 始"));
  ASSERT_TRUE(waitUntil([&] { return button(answer, L"截图(F4)") != nullptr; }, 10000));
  const RECT area = target.paintedArea();
  ASSERT_TRUE(e2e::moveMouse(area.left + 10, area.top + 10));
  ASSERT_TRUE(e2e::pressKeys("F4"));
  ASSERT_NE(e2e::waitForOverlayInput(program), nullptr);
  ASSERT_TRUE(e2e::dragMouse(area.left + 50, area.top + 45, area.left + 510, area.top + 135));
  std::wstring shown;
  ASSERT_TRUE(waitUntil(
      [&] {
        if (HWND box = e2e::messageBox(program.id(), L"友情提醒")) shown = e2e::messageBoxText(box);
        return !e2e::textOf(form.keyword).empty();
      },
      60000))
      << "nothing recognised; notice: " << utf8(shown);
  EXPECT_TRUE(waitUntil([&] { return e2e::textOf(form.question) == kDrawnQuestion; }, 15000))
      << "question shown: " << utf8(e2e::textOf(form.question));
  EXPECT_EQ(e2e::textOf(form.answer).substr(0, 5), L"青海、西藏");
  e2e::keepScreenshot(answer, shotPrefix + "-recognised");
  // Nothing but the program's own files and the user's data appeared beside it.
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::wstring name = entry.path().filename().wstring();
    EXPECT_TRUE(name == L"Quorvix.exe" || name == L"ocr" || name == L"LICENSES" ||
                name == L"使用说明.txt" || name == L"SHA256SUMS" || name == L"题库" ||
                name == L"libxl.dll" || name == L"配置.ini")
        << "unexpected beside the program: " << utf8(name);
  }
}

// Unpacked where it cannot write (run_smoke.sh mounts the copy read-only): the program names
// its folder in a message at once, before the disclaimer, and ends when it is closed.
TEST(Package, SaysAtOnceWhenItsFolderCannotBeWritten) {
  const fs::path folder = unpackedCopy(L"QUORVIX_PACKAGE_READONLY");
  if (folder.empty()) GTEST_SKIP() << "no read-only copy named";
  Program program(Program::InPlace{}, folder);
  ASSERT_TRUE(program.started());
  HWND box = waitForBox(program, L"Quorvix", 20000);
  ASSERT_NE(box, nullptr) << "no message";
  EXPECT_EQ(e2e::messageBoxText(box).rfind(L"程序所在的文件夹不能写入", 0), 0u)
      << utf8(e2e::messageBoxText(box));
  EXPECT_TRUE(e2e::topLevelWindows(program.id(), e2e::kTitle).empty()) << "a form showed";
  e2e::keepScreenshot(box, "package-read-only");
  e2e::answerMessageBox(box, IDOK);
  EXPECT_EQ(program.waitForExit(10000), 1);
  EXPECT_FALSE(fs::exists(folder / L"题库"));
}

TEST(Package, RunsFromAPlainFolder) {
  useLikeAUser(unpackedCopy(L"QUORVIX_PACKAGE_PLAIN"), "package-plain");
}

TEST(Package, RunsFromAFolderWithChineseCharactersAndSpaces) {
  useLikeAUser(unpackedCopy(L"QUORVIX_PACKAGE_CHINESE"), "package-chinese");
}

}  // namespace
