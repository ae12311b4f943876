// Quorvix.exe under Wine worked with real keys alone (xdotool, from outside): accepting the
// disclaimer, reaching the import form and back, opening the answer form, typing into the
// keyword box again once a message box the form showed has closed and searching with Enter,
// dropping down the bank chooser, which shows a long bank name whole, and Enter opening the
// chosen bank, searching only from the keyword box, with 返回 coming back to that bank.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "main_forms.h"
#include "x_keyboard.h"

namespace {

using e2e::button;
using e2e::keepScreenshot;
using e2e::pressKeys;
using e2e::Program;
using e2e::runFolder;
using e2e::waitForMainForm;
using e2e::waitUntil;

constexpr SIZE kDisclaimerSize{540, 207};
constexpr SIZE kChooserSize{590, 240};
constexpr SIZE kImportSize{1000, 622};
constexpr SIZE kAnswerSize{348, 650};

// The window with the keyboard focus in the program, as its thread knows it.
HWND focusOf(HWND form) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &thread);
  return thread.hwndFocus;
}

bool focusIsOn(HWND form, HWND control) {
  return waitUntil([&] { return focusOf(form) == control; }, 5000);
}

// The program's first window, with the keys going to it.
HWND firstForm(const Program& program) {
  HWND disclaimer = waitForMainForm(program, kDisclaimerSize);
  return disclaimer && e2e::focusProgramWindow() ? disclaimer : nullptr;
}

// The disclaimer, with the full bank put in the bank folder first.
HWND disclaimerWithBank(const Program& program) {
  HWND disclaimer = firstForm(program);
  if (!disclaimer) return nullptr;
  auto folder = program.folder() / L"题库";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(e2e::fromBuildPath(QUORVIX_E2E_BANKS) / L"常识题库.edb",
                             folder / L"常识题库.edb");
  return disclaimer;
}

bool checked(HWND radio) { return SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The edit box nearest the top of a form: the answer form's keyword box.
HWND topEdit(HWND form) {
  HWND top = nullptr;
  LONG topY = LONG_MAX;
  for (HWND edit : e2e::childrenOfClass(form, L"Edit")) {
    RECT r{};
    GetWindowRect(edit, &r);
    if (IsWindowVisible(edit) && r.top < topY) {
      top = edit;
      topY = r.top;
    }
  }
  return top;
}

TEST(Keyboard, TheDisclaimerIsAcceptedWithTabAndEnter) {
  Program program(runFolder());
  HWND disclaimer = firstForm(program);
  ASSERT_NE(disclaimer, nullptr);
  ASSERT_TRUE(focusIsOn(disclaimer, button(disclaimer, L"同    意"))) << "not opened on 同意";
  ASSERT_TRUE(pressKeys("Tab"));
  ASSERT_TRUE(focusIsOn(disclaimer, button(disclaimer, L"拒   绝")));
  keepScreenshot(disclaimer, "5-disclaimer-keyboard");
  ASSERT_TRUE(pressKeys("Tab Return"));
  EXPECT_NE(waitForMainForm(program, kChooserSize), nullptr) << "Enter did not accept";
}

TEST(Keyboard, TheImportFormAndTheAnswerFormAreReachedByKeysAlone) {
  Program program(runFolder());
  HWND disclaimer = disclaimerWithBank(program);
  ASSERT_NE(disclaimer, nullptr);
  ASSERT_TRUE(focusIsOn(disclaimer, button(disclaimer, L"同    意")));
  ASSERT_TRUE(pressKeys("Return"));
  HWND chooser = waitForMainForm(program, kChooserSize);
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(focusIsOn(chooser, e2e::childrenOfClass(chooser, L"ComboBox").at(0)));

  ASSERT_TRUE(pressKeys("Tab Return"));
  HWND import = waitForMainForm(program, kImportSize);
  ASSERT_NE(import, nullptr) << "导入题库 was not pressed";
  ASSERT_TRUE(focusIsOn(import, button(import, L"打开 EXCEL")));
  // The arrow keys choose between the two kinds of target, each showing its own control.
  HWND existing = button(import, L"导入现有题库");
  HWND fresh = button(import, L"导入新建题库");
  ASSERT_TRUE(pressKeys("Tab Down"));
  ASSERT_TRUE(focusIsOn(import, fresh));
  EXPECT_TRUE(checked(fresh));
  EXPECT_FALSE(checked(existing));
  EXPECT_TRUE(waitUntil([&] { return topEdit(import) != nullptr; }, 5000)) << "no name box shown";
  keepScreenshot(import, "6-import-keyboard");
  ASSERT_TRUE(pressKeys("Up"));
  ASSERT_TRUE(focusIsOn(import, existing));
  EXPECT_TRUE(checked(existing));
  ASSERT_TRUE(pressKeys("Tab Tab Tab"));
  ASSERT_TRUE(focusIsOn(import, button(import, L"返回 选择题库")));
  ASSERT_TRUE(pressKeys("Return"));
  chooser = waitForMainForm(program, kChooserSize);
  ASSERT_NE(chooser, nullptr) << "no way back by keys";

  // Backwards from the bank list: 导出题库, the last in the order, then 开始考试.
  ASSERT_TRUE(pressKeys("shift+Tab shift+Tab Return"));
  HWND answer = waitForMainForm(program, kAnswerSize);
  ASSERT_NE(answer, nullptr) << "开始考试 was not pressed";
  EXPECT_TRUE(focusIsOn(answer, topEdit(answer))) << "the answer form opens on its keyword box";
}

TEST(Keyboard, AfterAMessageBoxOfTheAnswerFormClosesTypingGoesOnInTheKeywordBox) {
  Program program(runFolder());
  HWND disclaimer = disclaimerWithBank(program);
  ASSERT_NE(disclaimer, nullptr);
  e2e::click(button(disclaimer, L"同    意"));
  HWND chooser = waitForMainForm(program, kChooserSize);
  ASSERT_NE(chooser, nullptr);
  e2e::click(button(chooser, L"开 始 考 试"));
  HWND answer = waitForMainForm(program, kAnswerSize);
  ASSERT_NE(answer, nullptr);
  HWND keyword = topEdit(answer);
  ASSERT_TRUE(focusIsOn(answer, keyword));
  ASSERT_TRUE(e2e::typeText("abc"));
  ASSERT_TRUE(waitUntil([&] { return e2e::textOf(keyword) == L"abc"; }, 5000));

  // 删除 with nothing selected, pressed as a keyboard shortcut would, so the focus stays put.
  HWND remove = button(answer, L"删除");
  PostMessageW(answer, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(remove), BN_CLICKED), LPARAM(remove));
  HWND box = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (box = e2e::messageBox(program.id())) != nullptr; }));
  EXPECT_EQ(e2e::messageBoxText(box), L"未选择记录，不能删除");
  EXPECT_EQ(GetWindow(box, GW_OWNER), answer) << "the box belongs to the answer form";
  EXPECT_FALSE(IsWindowEnabled(answer)) << "the form waits while its box is up";
  keepScreenshot(box, "7-answer-box");

  ASSERT_TRUE(pressKeys("Return"));
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000));
  EXPECT_TRUE(focusIsOn(answer, keyword)) << "the keyword box did not get the focus back";
  ASSERT_TRUE(e2e::typeText("def"));
  EXPECT_TRUE(waitUntil([&] { return e2e::textOf(keyword) == L"abcdef"; }, 5000))
      << "typed keys were lost";

  // Enter in the keyword box is still the search, though the dialog manager sees the keys.
  ASSERT_TRUE(pressKeys("Return"));
  HWND status = e2e::childrenOfClass(answer, L"msctls_statusbar32").at(0);
  EXPECT_TRUE(waitUntil([&] { return e2e::statusText(status, 1) == L"【当前结果/总结果数】：0/0"; },
                        10000));
  EXPECT_EQ(e2e::messageBox(program.id()), nullptr);
}

// The chooser lists a bank whose name GBK cannot hold as it is; Enter opens the chosen bank; in
// the answer form Enter in the question box keeps the place in the results; 返回 comes back to
// the bank just used.
TEST(Keyboard, EnterOpensTheChosenBankSearchesOnlyFromTheKeywordBoxAndBackKeepsTheBank) {
  Program program(runFolder());
  HWND disclaimer = disclaimerWithBank(program);
  ASSERT_NE(disclaimer, nullptr);
  const std::wstring wideName = L"物理\U0001F600题库.edb";
  std::filesystem::copy_file(program.folder() / L"题库" / L"常识题库.edb",
                             program.folder() / L"题库" / wideName);
  ASSERT_TRUE(focusIsOn(disclaimer, button(disclaimer, L"同    意")));
  ASSERT_TRUE(pressKeys("Return"));
  HWND chooser = waitForMainForm(program, kChooserSize);
  ASSERT_NE(chooser, nullptr);
  HWND combo = e2e::childrenOfClass(chooser, L"ComboBox").at(0);
  ASSERT_TRUE(waitUntil([&] { return e2e::comboItems(combo).size() == 2; }));
  const auto items = e2e::comboItems(combo);
  const bool wideFirst = items[0] == wideName;
  ASSERT_TRUE(wideFirst || items[1] == wideName) << "the name was not listed whole";
  ASSERT_TRUE(focusIsOn(chooser, combo));
  if (!wideFirst) {
    ASSERT_TRUE(pressKeys("Down"));
  }
  ASSERT_TRUE(waitUntil([&] { return e2e::textOf(combo) == wideName; }, 5000));
  ASSERT_TRUE(pressKeys("Return"));
  HWND answer = waitForMainForm(program, kAnswerSize);
  ASSERT_NE(answer, nullptr) << "Enter in the chooser did not open the bank";

  const auto edits = e2e::editsTopToBottom(answer);
  ASSERT_EQ(edits.size(), 3u);
  HWND status = e2e::childrenOfClass(answer, L"msctls_statusbar32").at(0);
  auto showsPosition = [&](const wchar_t* position) {
    return waitUntil([&] { return e2e::statusText(status, 1) == position; }, 10000);
  };
  ASSERT_TRUE(focusIsOn(answer, edits[0]));
  e2e::setText(edits[0], L"首都");
  ASSERT_TRUE(pressKeys("Return"));
  ASSERT_TRUE(showsPosition(L"【当前结果/总结果数】：1/3"));
  e2e::click(button(answer, L"下一题"));
  ASSERT_TRUE(showsPosition(L"【当前结果/总结果数】：2/3"));
  // Tab goes through the capture controls and the list of choices to the question box.
  for (int i = 0; i < 14 && focusOf(answer) != edits[1]; ++i) {
    HWND before = focusOf(answer);
    ASSERT_TRUE(pressKeys("Tab"));
    waitUntil([&] { return focusOf(answer) != before; }, 2000);
  }
  ASSERT_TRUE(focusIsOn(answer, edits[1]));
  const std::wstring question = e2e::textOf(edits[1]);
  ASSERT_TRUE(pressKeys("Return"));
  Sleep(1000);
  EXPECT_EQ(e2e::statusText(status, 1), L"【当前结果/总结果数】：2/3");
  EXPECT_EQ(e2e::textOf(edits[1]), question);

  e2e::click(button(answer, L"返回"));
  chooser = waitForMainForm(program, kChooserSize);
  ASSERT_NE(chooser, nullptr);
  combo = e2e::childrenOfClass(chooser, L"ComboBox").at(0);
  EXPECT_TRUE(waitUntil([&] { return e2e::textOf(combo) == wideName; }, 5000))
      << "the chooser did not come back to the bank just used";
}

TEST(Keyboard, TheChooserDropsDownWideEnoughForALongBankName) {
  Program program(runFolder());
  HWND disclaimer = disclaimerWithBank(program);
  ASSERT_NE(disclaimer, nullptr);
  const std::wstring longName =
      L"二〇二六年全国普通高等学校招生统一考试理科综合能力测试题库（第一卷）.edb";
  std::filesystem::copy_file(program.folder() / L"题库" / L"常识题库.edb",
                             program.folder() / L"题库" / longName);
  ASSERT_TRUE(focusIsOn(disclaimer, button(disclaimer, L"同    意")));
  ASSERT_TRUE(pressKeys("Return"));
  HWND chooser = waitForMainForm(program, kChooserSize);
  ASSERT_NE(chooser, nullptr);
  HWND combo = e2e::childrenOfClass(chooser, L"ComboBox").at(0);
  ASSERT_TRUE(waitUntil([&] { return e2e::comboItems(combo).size() == 2; }));

  ASSERT_TRUE(pressKeys("F4"));
  ASSERT_TRUE(waitUntil([&] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 5000));
  RECT box{}, list{};
  GetWindowRect(combo, &box);
  HWND dropDown = nullptr;
  for (HWND window : e2e::topLevelWindows(program.id())) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (std::wstring(name) == L"ComboLBox") dropDown = window;
  }
  ASSERT_NE(dropDown, nullptr) << "no drop-down list shown";
  GetWindowRect(dropDown, &list);
  // About 14 px a character in the chooser's type: far wider than the 344 px box.
  EXPECT_GT(list.right - list.left, LONG(longName.size()) * 12);
  EXPECT_GT(list.right - list.left, box.right - box.left);
  e2e::saveScreenshot(GetDesktopWindow(),
                      e2e::fromBuildPath(QUORVIX_E2E_SHOTS) / "8-chooser-drop-down.png");
  ASSERT_TRUE(pressKeys("Escape"));
  EXPECT_TRUE(waitUntil([&] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) == 0; }, 5000));
  EXPECT_NE(waitForMainForm(program, kChooserSize), nullptr)
      << "Esc in the drop-down closed the form";
}

}  // namespace
