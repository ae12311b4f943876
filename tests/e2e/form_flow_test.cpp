// Quorvix.exe under Wine, worked from outside: the disclaimer, the bank chooser and the import
// form, the moves between them, and the end of the program. A screenshot of each main form is
// kept in the build tree's e2e-screenshots folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "main_forms.h"

namespace {

using e2e::button;
using e2e::keepScreenshot;
using e2e::kTitle;
using e2e::Program;
using e2e::runFolder;
using e2e::waitForMainForm;

const std::wstring kDisclaimerText =
    L"\r\n"
    L"2、不得通过本程序侵害他人利益，程序作者不承担一切后果！\r\n"
    L"3、使用本程序者由于使用者原因造成的任何后果程序作者概不负责！\r\n"
    L"4、未经作者允许，擅自破解、修改、传，造成的后果程序作者概不负责！\r\n"
    L"5、下载后请24小时之内自行删除，如不接受以上条款，请立即删除本程序！";

TEST(FormFlow, DisclaimerShowsTheTitleTheSizeAndTheFiveLines) {
  Program program(runFolder());
  ASSERT_TRUE(program.started());
  HWND disclaimer = waitForMainForm(program, {540, 207});
  ASSERT_NE(disclaimer, nullptr) << "no disclaimer of 540 x 207 titled " << kTitle.size();
  EXPECT_NE(e2e::childWithText(disclaimer, L"免  责  声  明", L"Static"), nullptr);
  EXPECT_NE(e2e::childWithText(disclaimer, kDisclaimerText, L"Static"), nullptr);
  EXPECT_NE(button(disclaimer, L"同    意"), nullptr);
  EXPECT_NE(button(disclaimer, L"拒   绝"), nullptr);
  keepScreenshot(disclaimer, "1-disclaimer");
}

TEST(FormFlow, AgreeLeadsToTheChooserAndImportAndBackWithOneMainFormAtATime) {
  Program program(runFolder());
  HWND disclaimer = waitForMainForm(program, {540, 207});
  ASSERT_NE(disclaimer, nullptr);
  EXPECT_FALSE(std::filesystem::exists(program.folder() / L"题库"));

  e2e::click(button(disclaimer, L"同    意"));
  HWND chooser = waitForMainForm(program, {590, 240});
  ASSERT_NE(chooser, nullptr) << "the bank chooser did not replace the disclaimer";
  EXPECT_FALSE(IsWindow(disclaimer) && IsWindowVisible(disclaimer));
  EXPECT_TRUE(std::filesystem::is_directory(program.folder() / L"题库"));
  EXPECT_NE(e2e::childWithText(chooser, L"请选择题库", L"Static"), nullptr);
  EXPECT_EQ(e2e::childrenOfClass(chooser, L"ComboBox").size(), 1u);
  keepScreenshot(chooser, "2-bank-chooser");

  e2e::click(button(chooser, L"导 入 题 库"));
  HWND import = waitForMainForm(program, {1000, 622});
  ASSERT_NE(import, nullptr) << "the import form did not replace the chooser";
  EXPECT_NE(button(import, L"打开 EXCEL"), nullptr);
  EXPECT_EQ(e2e::childrenOfClass(import, L"SysListView32").size(), 1u);
  keepScreenshot(import, "3-import");

  e2e::click(button(import, L"返回 选择题库"));
  chooser = waitForMainForm(program, {590, 240});
  ASSERT_NE(chooser, nullptr) << "no way back to the chooser";

  // A second click while the form is moving must not open a second form.
  HWND importButton = button(chooser, L"导 入 题 库");
  e2e::click(importButton);
  e2e::click(importButton);
  ASSERT_NE(waitForMainForm(program, {1000, 622}), nullptr);
  EXPECT_EQ(e2e::topLevelWindows(program.id(), kTitle).size(), 1u);
}

TEST(FormFlow, RefuseEndsTheProgramWithCodeZeroAndNoWindowLeft) {
  Program program(runFolder());
  HWND disclaimer = waitForMainForm(program, {540, 207});
  ASSERT_NE(disclaimer, nullptr);
  e2e::click(button(disclaimer, L"拒   绝"));
  EXPECT_EQ(program.waitForExit(30000), 0);
  EXPECT_TRUE(e2e::allWindowsOf(program.id()).empty());
}

}  // namespace
