// The answer form's opacity and always-on-top options.
#include "app/controllers/answer_options.h"

#include <gtest/gtest.h>

#include "ui/headless/session.h"

namespace {

class FormOptionsTest : public ::testing::Test {
 protected:
  FormOptionsTest()
      : form(ui::load<app::AnswerForm>([](app::AnswerForm& f) { app::attachFormOptions(f); })) {}

  ui::headless::Session ui;
  ui::headless::HeadlessBackend& backend = ui.backend();
  app::AnswerForm& form;
};

TEST_F(FormOptionsTest, StartsOnTopWithTheSliderReadyAndTheFormOpaque) {
  EXPECT_TRUE(form.topmost());
  EXPECT_TRUE(form.titleKeptActive());
  EXPECT_EQ(form.多功能条1.position(), 200);
  EXPECT_EQ(form.多功能条1.minimum(), 50);
  EXPECT_EQ(form.多功能条1.maximum(), 255);
  EXPECT_TRUE(form.多功能条1.enabled());
  EXPECT_EQ(form.alpha(), -1) << "opaque until the slider first moves";
}

TEST_F(FormOptionsTest, TheSliderSetsTheAlphaNeverBelowFifty) {
  backend.dragSlider(form.多功能条1, 120);
  EXPECT_EQ(form.alpha(), 120);
  backend.dragSlider(form.多功能条1, 0);
  EXPECT_EQ(form.alpha(), 50);
}

TEST_F(FormOptionsTest, UncheckingTransparencyMakesTheFormOpaqueAndGreysTheSlider) {
  backend.dragSlider(form.多功能条1, 120);
  backend.click(form.选择框_窗口透明);
  EXPECT_EQ(form.多功能条1.position(), 255);
  EXPECT_EQ(form.alpha(), 255);
  EXPECT_FALSE(form.多功能条1.enabled());
  backend.dragSlider(form.多功能条1, 60);  // a greyed slider cannot be reached
  EXPECT_EQ(form.alpha(), 255);

  backend.click(form.选择框_窗口透明);
  EXPECT_TRUE(form.多功能条1.enabled());
  EXPECT_EQ(form.alpha(), 255);
}

TEST_F(FormOptionsTest, UncheckingAtFullOpacityOnlyGreysTheSlider) {
  backend.dragSlider(form.多功能条1, 255);
  backend.click(form.选择框_窗口透明);
  EXPECT_EQ(form.alpha(), 255);
  EXPECT_FALSE(form.多功能条1.enabled());
}

TEST_F(FormOptionsTest, AlwaysOnTopFollowsItsCheckBox) {
  backend.click(form.选择框_自动置顶);
  EXPECT_FALSE(form.topmost());
  EXPECT_FALSE(form.titleKeptActive());
  backend.click(form.选择框_自动置顶);
  EXPECT_TRUE(form.topmost());
  EXPECT_TRUE(form.titleKeptActive());
}

}  // namespace
