#include "app/forms/bank_chooser_form.h"

#include "app/forms/fonts.h"

namespace app {
namespace {

using ui::ControlKind;

constexpr ui::ControlDef kControls[] = {
    {.name = "透明标签_请选择题库",
     .kind = ControlKind::TransparentLabel,
     .place = {108, 8, 368, 48},
     .text = "请选择题库",
     .font = fonts::kKaiHeading,
     .align = ui::Align::Center},
    {.name = "组合框1",
     .kind = ControlKind::ComboBox,
     .place = {120, 72, 344, 20},
     .font = fonts::kKai},
    {.name = "按钮_导入题库",
     .kind = ControlKind::Button,
     .place = {70, 128, 146, 48},
     .text = "导 入 题 库",
     .font = fonts::kKaiButton},
    {.name = "按钮_删除题库",
     .kind = ControlKind::Button,
     .place = {231, 128, 146, 48},
     .text = "删 除 题 库",
     .font = fonts::kKaiButton},
    // Beside the bank it writes out; the buttons' row below has no room left.
    {.name = "按钮_导出题库",
     .kind = ControlKind::Button,
     .place = {474, 66, 96, 32},
     .text = "导出题库",
     .font = fonts::kKaiButton},
    {.name = "按钮_开始考试",
     .kind = ControlKind::Button,
     .place = {392, 128, 128, 48},
     .text = "开 始 考 试",
     .font = fonts::kKaiButton},
};

// The export button came later: it follows the buttons the user already tabs through.
constexpr std::string_view kFocusOrder[] = {"组合框1", "按钮_导入题库", "按钮_删除题库",
                                            "按钮_开始考试", "按钮_导出题库"};

}  // namespace

const ui::FormDef kBankChooserFormDef{.name = "BankChooserForm",
                                      .caption = "Quorvix--Nembra专版",
                                      .place = {50, 50, 590, 240},
                                      .controls = kControls,
                                      .focusOrder = kFocusOrder};

}  // namespace app
