// The keyboard as a dialog's user knows it, on both backends: where a form opens its focus, Tab
// and Shift+Tab in the focus order, Enter and Space on buttons, the arrow keys in a radio group,
// Esc, and the focus of a control that goes out of reach and comes back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "test_form.h"
#include "ui/toolkit.h"

namespace {

using uitest::DialogForm;
using uitest::TestForm;

class Keyboard : public ::testing::Test {
 protected:
  std::string focusedName(const ui::Form& form) {
    ui::Control* focused = form.focusedControl();
    return focused ? std::string(focused->name()) : "(form)";
  }

  // The names the focus visits on `presses` strokes of Tab (or Shift+Tab).
  std::vector<std::string> tabThrough(ui::Form& form, int presses, bool backward = false) {
    std::vector<std::string> visited;
    for (int i = 0; i < presses; ++i) {
      user.pressKey(form, ui::key::kTab, backward);
      visited.push_back(focusedName(form));
    }
    return visited;
  }

  std::unique_ptr<conformance::Harness> harness = conformance::makeHarness();
  conformance::Harness& user = *harness;
};

using Names = std::vector<std::string>;

TEST_F(Keyboard, TabAndShiftTabFollowTheFocusOrderAndSkipWhatCannotBeReached) {
  auto& form = ui::load<TestForm>();
  EXPECT_EQ(focusedName(form), "编辑框1") << "the form opens on the first control of its order";

  // The radio buttons are one stop, at the checked one.
  EXPECT_EQ(tabThrough(form, 7),
            (Names{"按钮1", "选择框1", "单选框1", "组合框1", "列表1", "滑块1", "编辑框1"}));
  form.单选框2.setChecked(true);
  form.选择框1.setEnabled(false);
  form.组合框1.setVisible(false);
  EXPECT_EQ(tabThrough(form, 4, /*backward=*/true), (Names{"滑块1", "列表1", "单选框2", "按钮1"}));
}

TEST_F(Keyboard, EnterAndSpacePressTheFocusedButtonAndTheFormHearsTheOtherKeys) {
  auto& form = ui::load<TestForm>();
  std::vector<int> heard;
  int clicks = 0;
  form.onKeyDown = [&](int key) { heard.push_back(key); };
  form.按钮1.onClick = [&] { ++clicks; };

  user.pressKey(form, ui::key::kReturn);  // in the edit box: the form's own Enter
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(heard, (std::vector<int>{ui::key::kReturn}));

  user.pressKey(form, ui::key::kTab);
  ASSERT_TRUE(form.按钮1.hasFocus());
  user.pressKey(form, ui::key::kReturn);
  user.pressKey(form, ui::key::kSpace);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(heard.size(), 1u) << "keys that press a button are the button's";

  user.pressKey(form, ui::key::kTab);
  ASSERT_TRUE(form.选择框1.hasFocus());
  user.pressKey(form, ui::key::kSpace);
  EXPECT_FALSE(form.选择框1.checked());
  user.pressKey(form, ui::key::kReturn);  // Enter leaves a check box as it is
  EXPECT_FALSE(form.选择框1.checked());
  EXPECT_EQ(heard.size(), 2u);
}

TEST_F(Keyboard, ArrowKeysMoveWithinTheRadioGroupAndSelectTheButtonReached) {
  auto& form = ui::load<TestForm>();
  int secondClicks = 0;
  form.单选框2.onClick = [&] { ++secondClicks; };
  tabThrough(form, 3);
  ASSERT_TRUE(form.单选框1.hasFocus());

  user.pressKey(form, ui::key::kDown);
  EXPECT_TRUE(form.单选框2.hasFocus());
  EXPECT_TRUE(form.单选框2.checked());
  EXPECT_FALSE(form.单选框1.checked());
  EXPECT_EQ(secondClicks, 1);
  user.pressKey(form, ui::key::kDown);  // round to the first again
  EXPECT_TRUE(form.单选框1.hasFocus());
  EXPECT_TRUE(form.单选框1.checked());

  // Tab enters the group at its selection; an arrow on a check box goes nowhere.
  tabThrough(form, 1, /*backward=*/true);
  user.pressKey(form, ui::key::kDown);
  EXPECT_TRUE(form.选择框1.hasFocus());
  EXPECT_EQ(tabThrough(form, 1), (Names{"单选框1"}));
}

TEST_F(Keyboard, EscClosesOnlyAFormWhoseDefinitionSaysSo) {
  auto& form = ui::load<TestForm>();
  auto& dialog = ui::load<DialogForm>();
  std::vector<int> heard;
  dialog.onKeyDown = [&](int key) { heard.push_back(key); };
  user.pressKey(form, ui::key::kEscape);
  EXPECT_TRUE(form.alive());
  const ui::FormHandle dialogHandle = dialog.handle();
  user.pressKey(dialog, ui::key::kEscape);  // a closed form may already be deleted
  EXPECT_EQ(ui::findForm(dialogHandle), nullptr);
  EXPECT_EQ(heard, (std::vector<int>{ui::key::kEscape})) << "the form hears Esc before it closes";
  EXPECT_TRUE(form.alive());
}

TEST_F(Keyboard, AControlOutOfReachHandsTheFocusToTheFormAndGetsItBack) {
  auto& form = ui::load<TestForm>();
  form.按钮1.focus();
  ASSERT_TRUE(form.按钮1.hasFocus());

  // As when a button turns itself off while its work runs.
  form.按钮1.setEnabled(false);
  EXPECT_EQ(form.focusedControl(), nullptr);
  form.按钮1.setEnabled(true);
  EXPECT_TRUE(form.按钮1.hasFocus());

  form.按钮1.setVisible(false);
  form.按钮1.setEnabled(false);
  form.按钮1.setVisible(true);
  EXPECT_EQ(form.focusedControl(), nullptr) << "shown again but still disabled";
  form.按钮1.setEnabled(true);
  EXPECT_TRUE(form.按钮1.hasFocus());

  // Once the user has moved on, the focus stays where the user put it.
  form.按钮1.setEnabled(false);
  user.pressKey(form, ui::key::kTab);
  ui::Control* chosen = form.focusedControl();
  ASSERT_NE(chosen, nullptr);
  form.按钮1.setEnabled(true);
  EXPECT_EQ(form.focusedControl(), chosen);

  form.选择框1.setEnabled(false);
  form.选择框1.focus();
  EXPECT_FALSE(form.选择框1.hasFocus()) << "a disabled control takes no focus";
}

}  // namespace
