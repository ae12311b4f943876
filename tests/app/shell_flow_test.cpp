// The program's start and every move between forms, driven through the headless toolkit.
#include <gtest/gtest.h>

#include "shell_fixture.h"
#include "ui/system.h"

namespace apptest {
namespace {

using Strings = std::vector<std::string>;

TEST_F(ShellTest, ProgramStartShowsTheDisclaimerWithTheSkinAndTitle) {
  startProgram();
  auto& form = disclaimer();
  EXPECT_EQ(calls, (Strings{"createCaptureState", "applySkin"}));
  EXPECT_EQ(app::versionText(), "V2.0");
  EXPECT_EQ(form.caption(), gbk("Quorvix（Nembra专版）——byDalvenor V2.0"));
  EXPECT_TRUE(form.visible());
  EXPECT_EQ(form.bounds(), (ui::Rect{50, 50, 540, 207}));
}

TEST_F(ShellTest, AcceptLoadsTheChooserFirstAndDestroysTheDisclaimerAfterTenMs) {
  startProgram();
  auto& form = disclaimer();
  bool bothDuringWait = false;
  backend.at(5,
             [&] { bothDuringWait = form.alive() && ui::find<app::BankChooserForm>() != nullptr; });
  backend.click(form.按钮_同意);
  EXPECT_TRUE(bothDuringWait);
  EXPECT_EQ(backend.now(), 10u);
  EXPECT_FALSE(form.alive());
  auto& chooser = only<app::BankChooserForm>();
  EXPECT_EQ(chooser.caption(), app::windowTitle());
  EXPECT_EQ(chooser.bounds(), (ui::Rect{50, 50, 590, 240}));
}

TEST_F(ShellTest, ADoubleClickOnAcceptOpensOneChooser) {
  startProgram();
  auto& form = disclaimer();
  // The second click of the double click arrives while the first one waits its 10 ms.
  backend.at(3, [&] { backend.click(form.按钮_同意); });
  backend.click(form.按钮_同意);
  backend.click(form.按钮_同意);  // and one more after: the form is gone
  backend.runPending();
  EXPECT_EQ(count("ensureBankFolder"), 1);
  only<app::BankChooserForm>();
}

TEST_F(ShellTest, RefuseEndsTheProgramAtOnceWithCodeZero) {
  startProgram();
  backend.click(disclaimer().按钮_拒绝);
  EXPECT_EQ(backend.exitCode(), 0);
  EXPECT_EQ(ui::liveFormCount(), 0u);
  EXPECT_TRUE(backend.messages().empty());
  EXPECT_EQ(backend.now(), 0u);
}

TEST_F(ShellTest, TheWholeProgramRunsUntilItsLastFormIsGone) {
  shell.emplace(services.services());
  backend.at(1, [&] { backend.click(disclaimer().按钮_同意); });
  backend.at(50, [&] { backend.closeBox(only<app::BankChooserForm>()); });
  EXPECT_EQ(shell->run(), 0);
  EXPECT_EQ(ui::liveFormCount(), 0u);
}

TEST_F(ShellTest, ChooserStartMakesTheFolderThenListsTheBanks) {
  auto& chooser = toChooser();
  EXPECT_EQ(calls, (Strings{"createCaptureState", "applySkin", "ensureBankFolder", "listBanks"}));
  EXPECT_EQ(chooser.组合框1.text(), "a.edb");
}

TEST_F(ShellTest, ChooserHandsItsBankButtonsToTheBankStore) {
  auto& chooser = toChooser();
  backend.select(chooser.组合框1, 0);
  backend.click(chooser.按钮_删除题库);
  EXPECT_EQ(count("bankSelected"), 1);
  EXPECT_EQ(count("deleteBank"), 1);
  only<app::BankChooserForm>();
}

TEST_F(ShellTest, ImportButtonMovesToTheImportFormAndBackWithoutWaiting) {
  auto& chooser = toChooser();
  backend.click(chooser.按钮_导入题库);
  EXPECT_FALSE(chooser.alive());
  backend.runPending();
  auto& importForm = only<app::ImportForm>();
  EXPECT_EQ(count("listBanks"), 2);
  EXPECT_EQ(importForm.组合框1.text(), "a.edb");
  EXPECT_EQ(importForm.caption(), app::windowTitle());
  EXPECT_EQ(importForm.bounds(), (ui::Rect{50, 50, 1000, 622}));

  auto before = backend.now();
  backend.click(importForm.按钮_返回题库选择);
  EXPECT_EQ(backend.now(), before);
  EXPECT_FALSE(importForm.alive());
  backend.runPending();
  only<app::BankChooserForm>();
  EXPECT_EQ(count("ensureBankFolder"), 2);
}

TEST_F(ShellTest, StartStaysOnTheChooserWhenTheBankDoesNotOpen) {
  bankOpens = false;
  auto& chooser = toChooser();
  backend.click(chooser.按钮_开始考试);
  EXPECT_TRUE(chooser.alive());
  EXPECT_FALSE(chooser.leaving());
  EXPECT_EQ(ui::find<app::AnswerForm>(), nullptr);
}

TEST_F(ShellTest, StartOpensTheAnswerFormBesideTheRightEdgeOfTheScreen) {
  backend.setScreenSize({1920, 1080});
  auto& answer = toAnswer();
  EXPECT_EQ(answer.bounds(), (ui::Rect{1520, 190, 348, 650}));
  EXPECT_EQ(answer.caption(), app::windowTitle());
  EXPECT_EQ(answer.透明标签1.caption(), gbk("共有3题"));
  EXPECT_EQ(answer.状态条1.sectionText(0), "Dalvenor");
  EXPECT_EQ(answer.状态条1.sectionText(1), gbk("2026年12月7日8时15分"));
  EXPECT_TRUE(answer.topmost());
  EXPECT_TRUE(answer.titleKeptActive());
}

TEST_F(ShellTest, OnAScaledScreenTheAnswerFormKeepsItsScaledDistanceFromTheEdges) {
  backend.setScreenSize({1920, 1080});
  backend.setFormDpi(144);
  auto& answer = toAnswer();
  EXPECT_EQ(answer.bounds().left, 1920 - 600);
  EXPECT_EQ(answer.bounds().top, 540 - 525);
}

TEST_F(ShellTest, WithoutAServerTheLocalDateIsShownAndSaidToBeLocal) {
  services.networkDateFromServer = false;
  auto& answer = toAnswer();
  EXPECT_EQ(answer.状态条1.sectionText(1), gbk("2026年12月7日8时15分（本机时间）"));
}

TEST_F(ShellTest, TheFormShowsBeforeTheDateAndADateAfterASearchLeavesItsStatus) {
  services.dateArrivesLater = true;
  auto& answer = toAnswer();
  EXPECT_TRUE(answer.visible());
  EXPECT_EQ(answer.状态条1.sectionText(1), "");
  answer.状态条1.setSectionText(1, gbk("【当前结果/总结果数】：1/2"));
  ASSERT_TRUE(services.pendingDate);
  services.pendingDate();
  EXPECT_EQ(answer.状态条1.sectionText(1), gbk("【当前结果/总结果数】：1/2"));
}

TEST_F(ShellTest, AnswerFormTopIsRoundedToTheNearestPixel) {
  backend.setScreenSize({1366, 767});  // 767 / 2 - 350 = 33.5
  auto& answer = toAnswer();
  EXPECT_EQ(answer.bounds().left, 966);
  EXPECT_EQ(answer.bounds().top, 34);
}

TEST_F(ShellTest, BackFromTheAnswerFormClosesTheBankThenReturnsToTheChooser) {
  auto& answer = toAnswer();
  calls.clear();
  backend.click(answer.按钮_返回);
  backend.runPending();
  only<app::BankChooserForm>();
  // Once by the button, once more when the form is destroyed.
  EXPECT_EQ(calls, (Strings{"closeAnswerBank", "ensureBankFolder", "listBanks",
                            "releaseCaptureHook", "closeAnswerBank"}));
}

TEST_F(ShellTest, BackIsRefusedSilentlyWhileTheBankStaysOpen) {
  auto& answer = toAnswer();
  bankStaysOpen = true;
  backend.click(answer.按钮_返回);
  backend.runPending();
  EXPECT_TRUE(answer.alive());
  EXPECT_FALSE(answer.leaving());
  EXPECT_TRUE(backend.messages().empty());
  EXPECT_EQ(ui::liveFormCount(), 1u);
}

TEST_F(ShellTest, ReopeningTheAnswerFormReadsTheRecordCountAgain) {
  auto& answer = toAnswer();
  backend.click(answer.按钮_返回);
  backend.runPending();
  backend.click(only<app::BankChooserForm>().按钮_开始考试);
  backend.runPending();
  only<app::AnswerForm>();
  EXPECT_EQ(count("loadRecordCount"), 2);
  EXPECT_EQ(count("fetchNetworkDate"), 2);
}

TEST_F(ShellTest, ClosingTheAnswerFormReleasesTheHookClosesTheBankAndEndsTheProgram) {
  auto& answer = toAnswer();
  calls.clear();
  backend.closeBox(answer);
  EXPECT_EQ(calls, (Strings{"releaseCaptureHook", "closeAnswerBank"}));
  EXPECT_EQ(backend.exitCode(), 0);
}

TEST_F(ShellTest, SettingsOpensTheOcrSettingsFormBesideTheAnswerForm) {
  auto& answer = toAnswer();
  backend.click(answer.按钮_赞助);
  auto* settings = ui::find<app::OcrSettingsForm>();
  ASSERT_NE(settings, nullptr);
  EXPECT_TRUE(answer.alive());
  EXPECT_EQ(settings->caption(), gbk("百度在线文字识别OCR"));
  EXPECT_EQ(settings->bounds(), (ui::Rect{50, 50, 380, 271}));
  // The program lives on while the settings form does.
  backend.closeBox(answer);
  EXPECT_FALSE(backend.exitCode());
  backend.closeBox(*settings);
  EXPECT_EQ(backend.exitCode(), 0);
}

TEST_F(ShellTest, DoubleClickOnTheStatusBarOpensTheReleasePage) {
  auto& answer = toAnswer();
  backend.doubleClick(answer.状态条1);
  EXPECT_EQ(backend.openedUrls(), (Strings{app::kReleasePageUrl}));
}

TEST_F(ShellTest, OtherSubsystemsWireTheirControlsBeforeTheFormsStart) {
  int wired = 0;
  services.onWireImport = [&](app::ImportForm& form) {
    ++wired;
    EXPECT_FALSE(form.alive());
  };
  services.onWireAnswer = [&](app::AnswerForm&) { ++wired; };
  services.onWireOcrSettings = [&](app::OcrSettingsForm&) { ++wired; };
  backend.click(toChooser().按钮_导入题库);
  backend.runPending();
  backend.click(only<app::ImportForm>().按钮_返回题库选择);
  backend.runPending();
  backend.click(only<app::BankChooserForm>().按钮_开始考试);
  backend.runPending();
  backend.click(only<app::AnswerForm>().按钮_赞助);
  EXPECT_EQ(wired, 3);
}

}  // namespace
}  // namespace apptest
