// What the headless backend plays for the tests: scripted system services, hotkeys and the
// mouse hook, lists and drawing panels as the real controls behave.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "test_form.h"
#include "ui/headless/bitmap.h"
#include "ui/headless/session.h"
#include "ui/system.h"

namespace {

using ui::headless::Bitmap;
using uitest::TestForm;

class Headless : public ::testing::Test {
 protected:
  ui::headless::Session session;
  ui::headless::HeadlessBackend& backend = session.backend();
};

TEST_F(Headless, MessageBoxesAnswerFromTheScriptAndAreRecorded) {
  backend.answerMessageBoxes({ui::mb::kIdCancel});
  EXPECT_EQ(ui::messageBox("sure?", ui::mb::kOkCancel), ui::mb::kIdCancel);
  EXPECT_EQ(ui::messageBox("done"), ui::mb::kIdOk);
  EXPECT_EQ(ui::timedMessageBox("notice", "cap", 0, 500), ui::mb::kIdTimedOut);
  auto shown = backend.messages();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].caption, ui::defaultMessageCaption());
  EXPECT_EQ(shown[0].style, ui::mb::kOkCancel);
  EXPECT_EQ(shown[1].result, ui::mb::kIdOk);
  EXPECT_EQ(shown[2].timeoutMs, 500u);
}

TEST_F(Headless, ABoxBelongsToTheInnermostShownFormWhoseEventAsksForIt) {
  auto& form = ui::load<TestForm>();
  auto& other = ui::load<uitest::OtherForm>();
  ui::messageBox("outside any event");
  form.按钮1.onClick = [&] {
    ui::messageBox("from its click");
    backend.click(other.按钮1);  // an event of another form inside this one
    ui::timedMessageBox("after the other's", "cap", 0, 500);
  };
  other.按钮1.onClick = [&] { ui::messageBox("from the other's click"); };
  backend.click(form.按钮1);
  std::thread worker([] { ui::messageBox("from a worker"); });
  worker.join();
  other.setVisible(false);
  ui::post(other.handle(), [] { ui::messageBox("for a hidden form"); });
  backend.runPending();

  std::vector<ui::FormHandle> owners;
  for (const auto& box : backend.messages()) owners.push_back(box.owner);
  EXPECT_EQ(owners,
            (std::vector<ui::FormHandle>{0, form.handle(), other.handle(), form.handle(), 0, 0}));
}

TEST_F(Headless, OwnerDataListsRecordTheRowsTheirOwnerSaidHadChanged) {
  auto& form = ui::load<TestForm>();
  form.列表2.setRowCount(10);
  form.列表2.rowsChanged(2, 4);
  form.列表2.rowsChanged(8, 30);
  form.列表2.rowsChanged(5, 4);
  using Range = ui::headless::HeadlessControlPeer::RowRange;
  EXPECT_EQ(backend.peerOf(form.列表2).redrawnRows(), (std::vector<Range>{{2, 4}, {8, 9}}));
}

TEST_F(Headless, FileDialogsAnswerFromTheScriptAndCancelWithout) {
  auto& form = ui::load<TestForm>();
  (void)form;
  const auto chosen = std::filesystem::path(u8"某个文件夹") / "a.xlsx";  // never opened
  backend.answerFileDialogs({chosen});
  ui::OpenFileRequest request;
  request.filter = "Excel|*.xls";
  EXPECT_EQ(ui::chooseOpenFile(request), chosen);
  EXPECT_EQ(ui::chooseOpenFile(request), std::filesystem::path());
  ASSERT_EQ(backend.fileDialogs().size(), 2u);
  EXPECT_EQ(backend.fileDialogs()[0].filter, "Excel|*.xls");
}

TEST_F(Headless, HotkeysReachTheirFormUntilItIsDestroyed) {
  auto& form = ui::load<TestForm>();
  ui::load<uitest::OtherForm>();
  std::vector<int> fired;
  form.onHotkey = [&](int id) { fired.push_back(id); };
  backend.refuseHotkey(ui::modifier::kNone, ui::key::kF4);
  EXPECT_FALSE(form.registerHotkey(1, ui::modifier::kNone, ui::key::kF4));
  EXPECT_TRUE(form.registerHotkey(2, ui::modifier::kAlt, 'A'));
  EXPECT_FALSE(form.registerHotkey(2, ui::modifier::kAlt, 'A'));  // already held
  EXPECT_TRUE(backend.pressHotkey(ui::modifier::kAlt, 'A'));
  EXPECT_EQ(fired, (std::vector<int>{2}));
  backend.closeBox(form);
  EXPECT_TRUE(backend.hotkeys().empty());
  EXPECT_FALSE(backend.pressHotkey(ui::modifier::kAlt, 'A'));
}

TEST_F(Headless, TheMouseHookSeesEventsUntilRemoved) {
  std::vector<ui::Point> downs;
  auto hook = ui::installMouseHook([&](const ui::MouseHookEvent& e) {
    if (e.action == ui::MouseHookAction::LeftDown) downs.push_back(ui::cursorPosition());
  });
  ASSERT_NE(hook, 0);
  backend.mouseHookEvent(ui::MouseHookAction::LeftDown, {7, 9});
  EXPECT_TRUE(ui::removeMouseHook(hook));
  EXPECT_FALSE(ui::removeMouseHook(hook));
  backend.mouseHookEvent(ui::MouseHookAction::LeftDown, {1, 1});
  EXPECT_EQ(downs, (std::vector<ui::Point>{{7, 9}}));
  backend.refuseMouseHooks(true);
  EXPECT_EQ(ui::installMouseHook([](const ui::MouseHookEvent&) {}), 0);
}

TEST_F(Headless, SimulatedCopyKeysCanFillTheClipboard) {
  backend.onKeyPressed([&](const ui::headless::KeyPress& key) {
    if (key.virtualKey == 'C' && key.down) backend.setClipboardText("copied");
  });
  EXPECT_EQ(ui::clipboardText(), std::nullopt);
  ui::pressKey(ui::key::kControl, true);
  ui::pressKey('C', true);
  EXPECT_EQ(ui::clipboardText(), "copied");
  EXPECT_EQ(backend.keyPresses().size(), 2u);
}

TEST_F(Headless, ListCellsExistOnlyInColumnsThatExist) {
  auto& list = ui::load<TestForm>().列表1;
  int row = list.appendRow();
  list.setCell(row, 1, "q");
  list.setCell(row, 4, "beyond");
  EXPECT_EQ(list.cell(row, 1), "q");
  EXPECT_EQ(list.cell(row, 4), "");
  list.addColumn("third", 80);
  EXPECT_EQ(list.cell(row, 2), "");
  list.deleteColumn(0);
  EXPECT_EQ(list.cell(row, 0), "q");
}

TEST_F(Headless, DeletingRowsKeepsTheSelectionOnItsRow) {
  auto& list = ui::load<TestForm>().列表1;
  for (int i = 0; i < 3; ++i) list.setCell(list.appendRow(), 0, std::to_string(i));
  list.selectRow(2);
  list.deleteRow(0);
  EXPECT_EQ(list.selectedRow(), 1);
  EXPECT_EQ(list.cell(list.selectedRow(), 0), "2");
  list.deleteRow(1);
  EXPECT_EQ(list.selectedRow(), -1);
  list.selectRow(5);
  EXPECT_EQ(list.selectedRow(), -1);
}

TEST_F(Headless, PanelsDrawOverTheirBackgroundAndCopyBetweenEachOther) {
  auto& form = ui::load<TestForm>();  // 画板1 and 画板2 are 40 x 30
  Bitmap screen(40, 30, 0x000080);
  screen.setPixel(5, 6, 0x00FF00);
  form.画板1.setPicture(screen.toBmp());
  form.画板1.drawRectangle({0, 0}, {10, 10});
  EXPECT_NE(Bitmap::fromBmp(form.画板1.snapshotBmp()), screen);
  form.画板1.clear();
  EXPECT_EQ(Bitmap::fromBmp(form.画板1.snapshotBmp()), screen);

  form.画板2.setBounds({0, 0, 3, 3});
  form.画板2.copyFrom(form.画板1, {4, 5, 3, 3}, {0, 0});
  auto cut = Bitmap::fromBmp(form.画板2.snapshotBmp());
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->width(), 3);
  EXPECT_EQ(cut->pixel(1, 1), 0x00FF00u);
  EXPECT_EQ(cut->pixel(0, 0), 0x000080u);
}

TEST(Bitmap, ReadsBottomUpAndTopDownTwentyFourBitImages) {
  // A 2 x 2 24-bit BMP, rows padded to 8 bytes, bottom row first.
  auto le = [](std::uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s.push_back(char(i < 4 ? v >> (8 * i) : 0));  // zeros past 32 bits
    return s;
  };
  auto image = [&](int height) {
    std::string header = "BM" + le(70, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(2, 4) +
                         le(std::uint32_t(height), 4) + le(1, 2) + le(24, 2) + le(0, 4) +
                         le(16, 4) + le(0, 16);
    std::string first = le(0x0000FF, 3) + le(0x00FF00, 3) + le(0, 2);
    std::string second = le(0xFF0000, 3) + le(0xFFFFFF, 3) + le(0, 2);
    return header + first + second;
  };
  auto bottomUp = Bitmap::fromBmp(image(2));
  ASSERT_TRUE(bottomUp);
  EXPECT_EQ(bottomUp->pixel(0, 1), 0x0000FFu);
  EXPECT_EQ(bottomUp->pixel(1, 0), 0xFFFFFFu);
  auto topDown = Bitmap::fromBmp(image(-2));
  ASSERT_TRUE(topDown);
  EXPECT_EQ(topDown->pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(Bitmap::fromBmp(bottomUp->toBmp()), bottomUp);
  EXPECT_FALSE(Bitmap::fromBmp(image(2).substr(0, 60)));
  EXPECT_FALSE(Bitmap::fromBmp("BM"));
}

}  // namespace
