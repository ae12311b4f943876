// The six forms as their definitions lay them out: texts, places that matter, fonts and
// start states.
#include "app/forms/forms.h"

#include <gtest/gtest.h>

#include "platform/cp936.h"
#include "platform/gbk_text.h"
#include "ui/headless/bitmap.h"
#include "ui/headless/session.h"

namespace {

using ui::headless::HeadlessBackend;

std::string gbk(std::string_view utf8) { return cp936::fromUtf8(utf8); }

class Forms : public ::testing::Test {
 protected:
  ui::headless::Session session;
};

TEST_F(Forms, EveryFormLoadsWithEachOfItsControlsBound) {
  // A control missing from a class or a table aborts the load.
  ui::load<app::DisclaimerForm>();
  ui::load<app::BankChooserForm>();
  ui::load<app::ImportForm>();
  ui::load<app::AnswerForm>();
  ui::load<app::OcrSettingsForm>();
  ui::load<app::ScreenshotForm>();
  EXPECT_EQ(ui::liveFormCount(), 6u);
}

TEST_F(Forms, TheDisclaimerHasItsFiveLines) {
  auto& form = ui::load<app::DisclaimerForm>();
  auto lines = gbk::split(form.标签2.caption(), "\r\n");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], gbk("2、不得通过本程序侵害他人利益，程序作者不承担一切后果！"));
  EXPECT_EQ(lines[2], gbk("3、使用本程序者由于使用者原因造成的任何后果程序作者概不负责！"));
  EXPECT_EQ(lines[3], gbk("4、未经作者允许，擅自破解、修改、传，造成的后果程序作者概不负责！"));
  EXPECT_EQ(lines[4], gbk("5、下载后请24小时之内自行删除，如不接受以上条款，请立即删除本程序！"));
  EXPECT_EQ(form.标签1.caption(), gbk("免  责  声  明"));
  EXPECT_EQ(form.按钮_同意.caption(), gbk("同    意"));
  EXPECT_EQ(form.按钮_拒绝.caption(), gbk("拒   绝"));
}

TEST_F(Forms, MainFormsCarryTheDesignedCaptionUntilTheyStart) {
  EXPECT_EQ(ui::load<app::BankChooserForm>().caption(), gbk("Quorvix--Nembra专版"));
  EXPECT_EQ(ui::load<app::ScreenshotForm>().caption(), "");
  EXPECT_EQ(app::kScreenshotFormDef.style, ui::FormStyle::Borderless);
}

TEST_F(Forms, TheAnswerFormStartsAsItsOptionsSay) {
  auto& form = ui::load<app::AnswerForm>();
  EXPECT_TRUE(form.单选框_划屏取词.checked());
  EXPECT_FALSE(form.单选框_截屏取词.checked());
  EXPECT_TRUE(form.选择框_自动搜索.checked());
  EXPECT_TRUE(form.选择框_窗口透明.checked());
  EXPECT_TRUE(form.选择框_自动置顶.checked());
  EXPECT_EQ(form.按钮_开始.caption(), gbk("开 始"));
  EXPECT_EQ(form.按钮_赞助.caption(), gbk("设置"));

  auto& slider = HeadlessBackend::peerOf(form.多功能条1);
  EXPECT_EQ(slider.minimum(), 50);
  EXPECT_EQ(slider.maximum(), 255);
  EXPECT_EQ(slider.position(), 200);
  EXPECT_EQ(slider.lineStep(), 1);
  EXPECT_EQ(slider.pageStep(), 10);
  EXPECT_TRUE(form.多功能条1.enabled());
}

TEST_F(Forms, AnswerTextsScrollAndTheCountLineIsCentredIntoView) {
  auto& form = ui::load<app::AnswerForm>();
  for (const ui::EditBox* box : {&form.编辑框2, &form.编辑框3}) {
    EXPECT_TRUE(box->definition().multiLine && box->definition().readOnly &&
                box->definition().verticalScroll)
        << box->name();
  }
  EXPECT_FALSE(form.编辑框1.definition().multiLine || form.编辑框1.definition().readOnly);
  // Centred in a label from x = -93 to 435, the line's middle is at x = 171 of a 348 form.
  EXPECT_EQ(form.透明标签1.bounds(), (ui::Rect{-93, 0, 528, 48}));
  EXPECT_EQ(form.透明标签1.definition().align, ui::Align::Center);
  EXPECT_EQ(form.透明标签1.kind(), ui::ControlKind::TransparentLabel);
}

TEST_F(Forms, TheAnswerFormShowsOurPictureInItsCorner) {
  auto& form = ui::load<app::AnswerForm>();
  auto picture = ui::headless::Bitmap::fromBmp(form.图片框1.picture());
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->width(), form.图片框1.bounds().width);
  EXPECT_EQ(picture->height(), form.图片框1.bounds().height);
}

TEST_F(Forms, TheAnswerFormsStoresLieOutOfSight) {
  auto& form = ui::load<app::AnswerForm>();
  const int formWidth = form.bounds().width;
  EXPECT_GE(form.超级列表框_题库.bounds().left, formWidth);
  EXPECT_GE(form.图片框2.bounds().left, formWidth);
  EXPECT_LT(form.标签_热键.bounds().top, 0);
  EXPECT_EQ(form.标签_热键.caption(), "");
}

TEST_F(Forms, ListsHaveTheirTitledColumns) {
  struct Expected {
    std::string_view title;
    int width;
  };
  auto check = [](const ui::ListView& list, std::vector<Expected> columns) {
    ASSERT_EQ(list.columnCount(), int(columns.size())) << list.name();
    for (int c = 0; c < int(columns.size()); ++c) {
      EXPECT_EQ(list.columnTitle(c), gbk(columns[c].title));
      EXPECT_EQ(list.columnWidth(c), columns[c].width);
    }
  };
  check(ui::load<app::ImportForm>().超级列表框,
        {{"序号", 50}, {"题目", 380}, {"答案", 380}, {"结果", 150}});
  check(ui::load<app::AnswerForm>().超级列表框_题库, {{"序号", 50}, {"题目", 200}, {"答案", 500}});
}

TEST_F(Forms, TheImportFormShowsTheBankChooserForItsSelectedRadioButton) {
  auto& form = ui::load<app::ImportForm>();
  EXPECT_TRUE(form.单选框1.checked());
  EXPECT_FALSE(form.单选框2.checked());
  EXPECT_TRUE(form.组合框1.visible());
  EXPECT_FALSE(form.编辑框1.visible());
  EXPECT_EQ(form.组合框1.bounds().left, form.编辑框1.bounds().left);
  EXPECT_EQ(form.组合框1.bounds().top, form.编辑框1.bounds().top);
  EXPECT_EQ(form.通用对话框_导入.definition().text,
            "Excel工作薄（*.xlsx）|*.xlsx|Excel工作薄03-07（*.xls）|*.xls");
}

TEST_F(Forms, TypefacesFollowTheControlsRole) {
  auto& answer = ui::load<app::AnswerForm>();
  EXPECT_EQ(answer.状态条1.definition().font.face, "SimSun");
  EXPECT_EQ(answer.按钮_开始.definition().font.face, "楷体");
  EXPECT_EQ(answer.编辑框2.definition().font.face, "楷体");
  auto& overlay = ui::load<app::ScreenshotForm>();
  EXPECT_EQ(overlay.标签_提示.definition().font.face, "微软雅黑");
  auto hint = gbk::split(overlay.标签_提示.caption(), "\r\n");
  ASSERT_EQ(hint.size(), 2u);
  EXPECT_EQ(hint[1], gbk("esc键退出"));
}

TEST_F(Forms, TheOverlayShowsOnlyTheFrozenScreenAndTheHintAtFirst) {
  auto& overlay = ui::load<app::ScreenshotForm>();
  EXPECT_TRUE(overlay.画板1.visible());
  EXPECT_TRUE(overlay.标签_提示.visible());
  EXPECT_FALSE(overlay.画板2.visible());
  EXPECT_FALSE(overlay.画板3.visible());
  EXPECT_FALSE(overlay.图片框1.visible());
}

}  // namespace
