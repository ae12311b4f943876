// The rules every backend follows, checked through the headless backend: start states, which
// changes report events, slider clamping, radio groups, deferred destroy, leaving forms, modal
// loops and the program's end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp936.h"
#include "test_form.h"
#include "ui/headless/session.h"
#include "ui/system.h"

namespace {

using uitest::TestForm;

std::string gbk(std::string_view utf8) { return cp936::fromUtf8(utf8); }

class ToolkitRules : public ::testing::Test {
 protected:
  ui::headless::Session session;
  ui::headless::HeadlessBackend& backend = session.backend();
};

TEST_F(ToolkitRules, LoadAppliesTheDefinitionAndRunsCreatedBeforeShowing) {
  bool visibleWhenCreated = true;
  std::string captionWhenCreated;
  auto& form = ui::load<TestForm>([&](TestForm& f) {
    f.onCreated = [&] {
      visibleWhenCreated = f.visible();
      captionWhenCreated = f.caption();
      f.滑块1.setPosition(f.滑块1.position());
    };
  });
  EXPECT_FALSE(visibleWhenCreated);
  EXPECT_EQ(captionWhenCreated, gbk("测试"));
  EXPECT_TRUE(form.visible());
  EXPECT_EQ(form.bounds(), (ui::Rect{50, 50, 300, 220}));
  EXPECT_EQ(form.按钮1.caption(), gbk("开 始"));
  EXPECT_EQ(form.按钮1.bounds(), (ui::Rect{10, 10, 80, 30}));
  EXPECT_TRUE(form.选择框1.checked());
  EXPECT_TRUE(form.单选框1.checked());
  EXPECT_FALSE(form.单选框2.checked());
  ASSERT_EQ(form.列表1.columnCount(), 2);
  EXPECT_EQ(form.列表1.columnTitle(1), gbk("题目"));
  EXPECT_EQ(form.列表1.columnWidth(1), 200);
  EXPECT_EQ(form.状态条1.sectionText(0), "Dalvenor");
  EXPECT_EQ(form.滑块1.position(), 200);
  EXPECT_EQ(form.alpha(), -1);
}

TEST_F(ToolkitRules, OnlyTheUsersSelectionReportsAChange) {
  auto& form = ui::load<TestForm>();
  int reports = 0;
  form.组合框1.onSelectionChanged = [&] { ++reports; };
  form.组合框1.addItem("a.edb");
  form.组合框1.addItem("b.edb");
  form.组合框1.setSelectedIndex(0);
  EXPECT_EQ(reports, 0);
  EXPECT_EQ(form.组合框1.text(), "a.edb");
  backend.select(form.组合框1, 1);
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(form.组合框1.text(), "b.edb");
  form.组合框1.setSelectedIndex(7);
  EXPECT_EQ(form.组合框1.selectedIndex(), -1);
  EXPECT_EQ(form.组合框1.text(), "");
}

TEST_F(ToolkitRules, SliderClampsAndReportsOnlyRealChanges) {
  auto& form = ui::load<TestForm>();
  std::vector<int> reported;
  form.滑块1.onPositionChanged = [&] { reported.push_back(form.滑块1.position()); };
  form.滑块1.setPosition(120);
  form.滑块1.setPosition(1000);
  form.滑块1.setPosition(1000);
  backend.dragSlider(form.滑块1, 255);
  backend.dragSlider(form.滑块1, -5);
  form.滑块1.setPosition(0);
  EXPECT_EQ(reported, (std::vector<int>{120, 255, 50}));
}

TEST_F(ToolkitRules, ClicksToggleCheckBoxesAndSelectWithinTheRadioGroup) {
  auto& form = ui::load<TestForm>();
  bool checkedInHandler = true;
  form.选择框1.onClick = [&] { checkedInHandler = form.选择框1.checked(); };
  backend.click(form.选择框1);
  EXPECT_FALSE(checkedInHandler);

  backend.click(form.单选框2);
  EXPECT_TRUE(form.单选框2.checked());
  EXPECT_FALSE(form.单选框1.checked());
  form.单选框1.setChecked(true);
  EXPECT_FALSE(form.单选框2.checked());
}

TEST_F(ToolkitRules, DisabledControlsTakeNoClicks) {
  auto& form = ui::load<TestForm>();
  int clicks = 0;
  form.按钮1.onClick = [&] { ++clicks; };
  form.按钮1.setEnabled(false);
  backend.click(form.按钮1);
  EXPECT_EQ(clicks, 0);
}

TEST_F(ToolkitRules, DestroyInsideAHandlerWaitsUntilTheHandlerReturns) {
  auto& form = ui::load<TestForm>();
  std::vector<std::string> steps;
  form.onDestroying = [&] { steps.push_back("destroying"); };
  form.按钮1.onClick = [&] {
    form.destroy();
    steps.push_back(form.alive() ? "alive after destroy" : "gone inside handler");
    form.按钮1.setCaption("still usable");
  };
  backend.click(form.按钮1);
  EXPECT_EQ(steps, (std::vector<std::string>{"alive after destroy", "destroying"}));
  EXPECT_FALSE(form.alive());
  EXPECT_EQ(form.按钮1.caption(), "");  // the window is gone
}

TEST_F(ToolkitRules, ALeavingFormIgnoresFurtherEvents) {
  auto& form = ui::load<TestForm>();
  int clicks = 0;
  form.按钮1.onClick = [&] {
    ++clicks;
    form.beginLeaving();
  };
  backend.click(form.按钮1);
  backend.click(form.按钮1);
  backend.closeBox(form);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(form.alive());
}

TEST_F(ToolkitRules, TheProgramEndsWithCodeZeroWhenTheLastFormIsDestroyed) {
  auto& first = ui::load<TestForm>();
  auto& second = ui::load<uitest::OtherForm>();
  backend.closeBox(first);
  EXPECT_FALSE(backend.exitCode());
  EXPECT_EQ(ui::find<TestForm>(), &second);
  backend.at(5, [&] { backend.closeBox(second); });
  EXPECT_EQ(ui::run(), 0);
  EXPECT_EQ(ui::liveFormCount(), 0u);
}

TEST_F(ToolkitRules, ModalLoadReturnsOnlyWhenTheFormIsDestroyed) {
  auto& owner = ui::load<TestForm>();
  std::vector<std::string> steps;
  backend.onModal([&](ui::Form& modal) {
    steps.push_back("modal running");
    backend.keyDown(modal, ui::key::kEscape);
  });
  owner.按钮1.onClick = [&] {
    ui::loadModal<uitest::OtherForm>([&](uitest::OtherForm& f) {
      f.onKeyDown = [&f](int key) {
        if (key == ui::key::kEscape) f.destroy();
      };
    });
    steps.push_back("after modal");
  };
  backend.click(owner.按钮1);
  EXPECT_EQ(steps, (std::vector<std::string>{"modal running", "after modal"}));
  EXPECT_EQ(backend.abandonedModals(), 0);
  EXPECT_EQ(ui::liveFormCount(), 1u);
}

TEST_F(ToolkitRules, ProcessMessagesRunsWhatFallsDueInItsWindowOnly) {
  auto& form = ui::load<TestForm>();
  std::vector<int> clicksAt;
  form.按钮1.onClick = [&] { clicksAt.push_back(int(backend.now())); };
  backend.at(5, [&] { backend.click(form.按钮1); });
  backend.at(30, [&] { backend.click(form.按钮1); });
  ui::processMessages(10);
  EXPECT_EQ(clicksAt, (std::vector<int>{5}));
  EXPECT_EQ(backend.now(), 10u);
  backend.advance(20);
  EXPECT_EQ(clicksAt, (std::vector<int>{5, 30}));
}

}  // namespace
