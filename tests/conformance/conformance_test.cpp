// The toolkit's rules as seen through a backend: the same tests run headless natively and
// against real windows under Wine. Each acts as the user through the harness and reads state
// back through the toolkit, so both backends must agree.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "platform/cp936.h"
#include "test_form.h"

namespace {

using uitest::OtherForm;
using uitest::TestForm;

std::string gbk(std::string_view utf8) { return cp936::fromUtf8(utf8); }

class Conformance : public ::testing::Test {
 protected:
  std::unique_ptr<conformance::Harness> harness = conformance::makeHarness();
  conformance::Harness& user = *harness;
};

TEST_F(Conformance, StartStateComesFromTheDefinitionAndTheFormShowsAfterCreated) {
  bool visibleWhenCreated = true;
  auto& form = ui::load<TestForm>(
      [&](TestForm& f) { f.onCreated = [&] { visibleWhenCreated = f.visible(); }; });
  EXPECT_FALSE(visibleWhenCreated);
  EXPECT_TRUE(form.visible());
  EXPECT_EQ(form.caption(), gbk("测试"));
  EXPECT_EQ(form.bounds(), (ui::Rect{50, 50, 300, 220}));
  EXPECT_EQ(form.按钮1.caption(), gbk("开 始"));
  EXPECT_EQ(form.按钮1.bounds(), (ui::Rect{10, 10, 80, 30}));
  EXPECT_EQ(form.组合框1.bounds(), (ui::Rect{100, 10, 100, 20}));
  EXPECT_TRUE(form.选择框1.checked());
  EXPECT_TRUE(form.单选框1.checked());
  EXPECT_FALSE(form.单选框2.checked());
  ASSERT_EQ(form.列表1.columnCount(), 2);
  EXPECT_EQ(form.列表1.columnTitle(0), gbk("序号"));
  EXPECT_EQ(form.列表1.columnWidth(1), 200);
  EXPECT_EQ(form.状态条1.sectionText(0), "Dalvenor");
  EXPECT_EQ(form.滑块1.position(), 200);
  EXPECT_EQ(form.alpha(), -1);
  EXPECT_FALSE(form.topmost());
}

TEST_F(Conformance, TextsKeepEveryGbkCharacterThroughTheWindow) {
  auto& form = ui::load<TestForm>();
  // 誠 and 乗 carry '\' as their trail byte, 丄 an ASCII letter.
  std::string text = gbk("誠乗丄 题库\\a|b");
  form.setCaption(text);
  form.按钮1.setCaption(text);
  form.编辑框1.setContent(text);
  form.状态条1.setSectionText(1, text);
  EXPECT_EQ(form.caption(), text);
  EXPECT_EQ(form.按钮1.caption(), text);
  EXPECT_EQ(form.编辑框1.content(), text);
  EXPECT_EQ(form.状态条1.sectionText(1), text);
}

TEST_F(Conformance, OnlyTheUsersSelectionReportsAChange) {
  auto& form = ui::load<TestForm>();
  int comboReports = 0;
  int listReports = 0;
  form.组合框1.onSelectionChanged = [&] { ++comboReports; };
  form.列表1.onSelectionChanged = [&] { ++listReports; };
  form.组合框1.addItem(gbk("甲.edb"), "a-data");
  form.组合框1.addItem(gbk("乙.edb"), "b-data");
  form.组合框1.setSelectedIndex(0);
  for (int i = 0; i < 3; ++i) form.列表1.appendRow();
  form.列表1.selectRow(1);
  form.列表1.deleteRow(1);
  form.列表1.selectRow(-1);
  EXPECT_EQ(comboReports, 0);
  EXPECT_EQ(listReports, 0);

  user.select(form.组合框1, 1);
  user.selectRow(form.列表1, 0);
  EXPECT_EQ(comboReports, 1);
  EXPECT_EQ(listReports, 1);
  EXPECT_EQ(form.组合框1.text(), gbk("乙.edb"));
  EXPECT_EQ(form.组合框1.itemData(1), "b-data");
  EXPECT_EQ(form.列表1.selectedRow(), 0);

  form.组合框1.setSelectedIndex(7);
  EXPECT_EQ(form.组合框1.selectedIndex(), -1);
  EXPECT_EQ(form.组合框1.text(), "");
}

TEST_F(Conformance, SliderClampsAndReportsOnlyRealChanges) {
  auto& form = ui::load<TestForm>();
  std::vector<int> reported;
  form.滑块1.onPositionChanged = [&] { reported.push_back(form.滑块1.position()); };
  form.滑块1.setPosition(120);
  form.滑块1.setPosition(1000);
  form.滑块1.setPosition(1000);
  user.dragSlider(form.滑块1, 255);
  user.dragSlider(form.滑块1, -5);
  user.dragSlider(form.滑块1, -5);
  form.滑块1.setPosition(0);
  EXPECT_EQ(reported, (std::vector<int>{120, 255, 50}));
  EXPECT_EQ(form.滑块1.position(), 50);
}

TEST_F(Conformance, ClicksToggleCheckBoxesAndSelectWithinTheRadioGroup) {
  auto& form = ui::load<TestForm>();
  std::vector<bool> checkedInHandler;
  form.选择框1.onClick = [&] { checkedInHandler.push_back(form.选择框1.checked()); };
  user.click(form.选择框1);
  user.click(form.选择框1);
  EXPECT_EQ(checkedInHandler, (std::vector<bool>{false, true}));

  user.click(form.单选框2);
  EXPECT_TRUE(form.单选框2.checked());
  EXPECT_FALSE(form.单选框1.checked());
  form.单选框1.setChecked(true);
  EXPECT_FALSE(form.单选框2.checked());
}

TEST_F(Conformance, DisabledAndHiddenControlsTakeNoClicks) {
  auto& form = ui::load<TestForm>();
  int clicks = 0;
  form.按钮1.onClick = [&] { ++clicks; };
  form.按钮1.setEnabled(false);
  user.click(form.按钮1);
  form.按钮1.setEnabled(true);
  form.按钮1.setVisible(false);
  user.click(form.按钮1);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(form.按钮1.visible());
  form.按钮1.setVisible(true);
  user.click(form.按钮1);
  EXPECT_EQ(clicks, 1);
}

TEST_F(Conformance, ListRowsAndColumnsKeepTheirCells) {
  auto& form = ui::load<TestForm>();
  ui::ListView& list = form.列表1;
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(list.appendRow(), row);
    list.setCell(row, 0, std::to_string(row + 1));
    list.setCell(row, 1, gbk("题目") + std::to_string(row));
  }
  list.setCell(9, 0, "out of range");
  list.deleteRow(0);
  ASSERT_EQ(list.rowCount(), 2);
  EXPECT_EQ(list.cell(0, 0), "2");
  EXPECT_EQ(list.cell(1, 1), gbk("题目2"));
  EXPECT_EQ(list.cell(5, 0), "");
  std::string longCell(3000, 'x');
  list.setCell(1, 1, longCell);
  EXPECT_EQ(list.cell(1, 1), longCell);

  list.addColumn(gbk("结果"), 150);
  list.setColumnTitle(0, gbk("号"));
  EXPECT_EQ(list.columnCount(), 3);
  EXPECT_EQ(list.columnTitle(0), gbk("号"));
  EXPECT_EQ(list.columnWidth(2), 150);
  list.deleteAllColumns();
  list.deleteAllRows();
  EXPECT_EQ(list.columnCount(), 0);
  EXPECT_EQ(list.rowCount(), 0);
}

TEST_F(Conformance, DestroyInsideAHandlerWaitsUntilTheHandlerReturns) {
  auto& form = ui::load<TestForm>();
  std::vector<std::string> steps;
  form.onDestroying = [&] { steps.push_back("destroying"); };
  form.按钮1.onClick = [&] {
    form.destroy();
    steps.push_back(form.alive() ? "alive after destroy" : "gone inside handler");
    form.按钮1.setCaption("still usable");
  };
  user.click(form.按钮1);
  EXPECT_EQ(steps, (std::vector<std::string>{"alive after destroy", "destroying"}));
  EXPECT_FALSE(form.alive());
  EXPECT_FALSE(form.visible());
  EXPECT_EQ(form.按钮1.caption(), "");
}

TEST_F(Conformance, ALeavingFormIgnoresClicksAndItsCloseBox) {
  auto& form = ui::load<TestForm>();
  int clicks = 0;
  form.按钮1.onClick = [&] {
    ++clicks;
    form.beginLeaving();
  };
  user.click(form.按钮1);
  user.click(form.按钮1);
  user.closeBox(form);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(form.alive());
}

TEST_F(Conformance, ModalLoadIsANestedLoopThatEndsWithTheForm) {
  auto& owner = ui::load<TestForm>();
  std::vector<std::string> steps;
  owner.按钮1.onClick = [&] {
    // Runs inside the modal loop: the loop must keep serving posted work and keys.
    ui::post(owner.handle(), [&] {
      steps.push_back("modal running");
      if (auto* modal = ui::find<OtherForm>()) user.keyDown(*modal, ui::key::kEscape);
    });
    ui::loadModal<OtherForm>([&](OtherForm& f) {
      f.onKeyDown = [&f](int key) {
        if (key == ui::key::kEscape) f.destroy();
      };
    });
    steps.push_back("after modal");
  };
  user.click(owner.按钮1);
  EXPECT_EQ(steps, (std::vector<std::string>{"modal running", "after modal"}));
  EXPECT_EQ(ui::liveFormCount(), 1u);
  EXPECT_TRUE(owner.alive());
}

TEST_F(Conformance, PostedWorkRunsOnTheUiThreadAndIsDroppedForAGoneForm) {
  auto& form = ui::load<TestForm>();
  auto& other = ui::load<OtherForm>();
  bool ranOnUiThread = false;
  bool ranForGoneForm = false;
  ui::FormHandle gone = other.handle();
  user.closeBox(other);
  std::thread worker([&] {
    ui::post(form.handle(), [&] { ranOnUiThread = ui::isUiThread(); });
    ui::post(gone, [&] { ranForGoneForm = true; });
  });
  worker.join();
  EXPECT_TRUE(user.runUntil([&] { return ranOnUiThread; }));
  EXPECT_FALSE(ranForGoneForm);
}

TEST_F(Conformance, TheProgramEndsWithCodeZeroWhenTheLastFormIsDestroyed) {
  auto& first = ui::load<TestForm>();
  auto& second = ui::load<OtherForm>();
  user.closeBox(first);
  EXPECT_EQ(ui::find<TestForm>(), &second);
  ui::post(second.handle(), [&] { user.closeBox(second); });
  EXPECT_EQ(ui::run(), 0);
  EXPECT_EQ(ui::liveFormCount(), 0u);
}

TEST_F(Conformance, AlphaIsClampedAndTopmostFollowsTheForm) {
  auto& form = ui::load<TestForm>();
  form.setAlpha(128);
  EXPECT_EQ(form.alpha(), 128);
  form.setAlpha(300);
  EXPECT_EQ(form.alpha(), 255);
  form.setAlpha(-4);
  EXPECT_EQ(form.alpha(), 0);
  form.setTopmost(true);
  EXPECT_TRUE(form.topmost());
  form.setTopmost(false);
  EXPECT_FALSE(form.topmost());
}

}  // namespace
