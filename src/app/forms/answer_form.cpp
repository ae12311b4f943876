#include "app/forms/answer_form.h"

#include "app/forms/fonts.h"
#include "app/resources/badge.h"

namespace app {
namespace {

using ui::ControlKind;

constexpr ui::ColumnDef kResultColumns[] = {
    {"序号", 50},
    {"题目", 200},
    {"答案", 500},
};

constexpr ui::SectionDef kStatusSections[] = {
    {80, "Dalvenor"},
    {-1, ""},
};

constexpr ui::ControlDef kControls[] = {
    {.name = "图片框1",
     .kind = ControlKind::PictureBox,
     .place = {4, 4, 40, 40},
     .picture = resources::kBadgeBmp},
    // Centred, so the count line stays in sight although the label starts at x = -93.
    {.name = "透明标签1",
     .kind = ControlKind::TransparentLabel,
     .place = {-93, 0, 528, 48},
     .font = fonts::kKaiButton,
     .align = ui::Align::Center},
    {.name = "标签_热键",
     .kind = ControlKind::Label,
     .place = {300, -16, 48, 24},
     .font = fonts::kKai},
    {.name = "编辑框1",
     .kind = ControlKind::EditBox,
     .place = {2, 48, 336, 32},
     .font = fonts::kKai},
    {.name = "按钮_开始",
     .kind = ControlKind::Button,
     .place = {15, 88, 90, 40},
     .text = "开 始",
     .font = fonts::kKaiButton},
    {.name = "单选框_划屏取词",
     .kind = ControlKind::RadioButton,
     .place = {120, 88, 96, 20},
     .text = "划屏取词",
     .font = fonts::kKai,
     .checked = true},
    {.name = "单选框_截屏取词",
     .kind = ControlKind::RadioButton,
     .place = {120, 108, 96, 20},
     .text = "截屏取词",
     .font = fonts::kKai},
    // The free corner right of the count line, above the keyword box.
    {.name = "单选框_区域监视",
     .kind = ControlKind::RadioButton,
     .place = {262, 26, 78, 20},
     .text = "区域监视",
     .font = fonts::kKai},
    {.name = "选择框_自动置顶",
     .kind = ControlKind::CheckBox,
     .place = {232, 88, 96, 20},
     .text = "自动置顶",
     .font = fonts::kKai,
     .checked = true},
    {.name = "选择框_自动搜索",
     .kind = ControlKind::CheckBox,
     .place = {232, 108, 96, 20},
     .text = "自动搜索",
     .font = fonts::kKai,
     .checked = true},
    {.name = "选择框_窗口透明",
     .kind = ControlKind::CheckBox,
     .place = {16, 136, 96, 20},
     .text = "窗口透明",
     .font = fonts::kKai,
     .checked = true},
    {.name = "多功能条1",
     .kind = ControlKind::Slider,
     .place = {120, 128, 216, 32},
     .slider = {.minimum = 50, .maximum = 255, .position = 200, .lineStep = 1, .pageStep = 10}},
    {.name = "编辑框2",
     .kind = ControlKind::EditBox,
     .place = {2, 160, 336, 160},
     .font = fonts::kKai,
     .multiLine = true,
     .readOnly = true,
     .verticalScroll = true},
    {.name = "按钮_上一题",
     .kind = ControlKind::Button,
     .place = {10, 325, 60, 30},
     .text = "上一题",
     .font = fonts::kKai},
    {.name = "按钮_下一题",
     .kind = ControlKind::Button,
     .place = {75, 325, 60, 30},
     .text = "下一题",
     .font = fonts::kKai},
    {.name = "按钮_删除",
     .kind = ControlKind::Button,
     .place = {140, 325, 60, 30},
     .text = "删除",
     .font = fonts::kKai},
    {.name = "按钮_返回",
     .kind = ControlKind::Button,
     .place = {205, 325, 60, 30},
     .text = "返回",
     .font = fonts::kKai},
    {.name = "按钮_赞助",
     .kind = ControlKind::Button,
     .place = {270, 325, 60, 30},
     .text = "设置",
     .font = fonts::kKai},
    {.name = "编辑框3",
     .kind = ControlKind::EditBox,
     .place = {2, 360, 336, 240},
     .font = fonts::kKai,
     .multiLine = true,
     .readOnly = true,
     .verticalScroll = true},
    {.name = "状态条1",
     .kind = ControlKind::StatusBar,
     .place = {0, 600, 341, 20},
     .font = fonts::kSimSun,
     .sections = kStatusSections},
    {.name = "图片框2", .kind = ControlKind::PictureBox, .place = {500, 224, 200, 208}},
    {.name = "超级列表框_题库",
     .kind = ControlKind::ListView,
     .place = {364, 160, 484, 280},
     .font = fonts::kKai,
     .columns = kResultColumns,
     .ownerData = true},
};

// The keyword first, then the capture row by row, the question, the buttons below it and the
// answer. The result list and the captured image lie out of sight and take no focus.
constexpr std::string_view kFocusOrder[] = {
    "编辑框1",         "按钮_开始",       "单选框_划屏取词", "单选框_截屏取词", "单选框_区域监视",
    "选择框_自动置顶",
    "选择框_自动搜索", "选择框_窗口透明", "多功能条1",       "编辑框2",         "按钮_上一题",
    "按钮_下一题",     "按钮_删除",       "按钮_返回",       "按钮_赞助",       "编辑框3"};

}  // namespace

const ui::FormDef kAnswerFormDef{.name = "AnswerForm",
                                 .caption = "Quorvix--Nembra专版",
                                 .place = {50, 50, 348, 650},
                                 .controls = kControls,
                                 .topmost = true,
                                 .titleKeptActive = true,
                                 .focusOrder = kFocusOrder};

}  // namespace app
