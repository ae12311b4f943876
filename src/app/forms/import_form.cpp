#include "app/forms/import_form.h"

#include "app/forms/fonts.h"

namespace app {
namespace {

using ui::ControlKind;

constexpr ui::Rect kTablePlace{5, 88, 984, 496};
constexpr int kSheetRowHeight = 24;

constexpr ui::ColumnDef kTableColumns[] = {
    {"序号", 50},
    {"题目", 380},
    {"答案", 380},
    {"结果", 150},
};

constexpr ui::ControlDef kControls[] = {
    {.name = "按钮_打开",
     .kind = ControlKind::Button,
     .place = {20, 32, 140, 40},
     .text = "打开 EXCEL",
     .font = fonts::kKaiButton},
    {.name = "通用对话框_导入",
     .kind = ControlKind::FileDialog,
     .text = "Excel工作薄（*.xlsx）|*.xlsx|Excel工作薄03-07（*.xls）|*.xls"},
    {.name = "单选框1",
     .kind = ControlKind::RadioButton,
     .place = {191, 19, 120, 24},
     .text = "导入现有题库",
     .font = fonts::kKai,
     .checked = true},
    {.name = "单选框2",
     .kind = ControlKind::RadioButton,
     .place = {352, 16, 120, 24},
     .text = "导入新建题库",
     .font = fonts::kKai},
    // The two target controls share a place; the radio buttons show one at a time.
    {.name = "组合框1",
     .kind = ControlKind::ComboBox,
     .place = {175, 45, 345, 20},
     .font = fonts::kKai},
    {.name = "编辑框1",
     .kind = ControlKind::EditBox,
     .place = {175, 45, 345, 30},
     .font = fonts::kKai,
     .visible = false},
    {.name = "按钮_导入题库",
     .kind = ControlKind::Button,
     .place = {528, 32, 120, 40},
     .text = "导入题库",
     .font = fonts::kKaiButton},
    {.name = "按钮_返回题库选择",
     .kind = ControlKind::Button,
     .place = {660, 32, 160, 40},
     .text = "返回 选择题库",
     .font = fonts::kKaiButton},
    {.name = "按钮_清空数据库",
     .kind = ControlKind::Button,
     .place = {832, 32, 120, 40},
     .text = "清空题库",
     .font = fonts::kKaiButton},
    // Shown only for a workbook of several worksheets; the table then moves down below them.
    {.name = "标签_工作表",
     .kind = ControlKind::Label,
     .place = {8, 90, 64, 20},
     .text = "工作表：",
     .font = fonts::kKai,
     .visible = false},
    {.name = "组合框_工作表",
     .kind = ControlKind::ComboBox,
     .place = {72, 86, 300, 20},
     .font = fonts::kKai,
     .visible = false},
    {.name = "超级列表框",
     .kind = ControlKind::ListView,
     .place = kTablePlace,
     .font = fonts::kKai,
     .columns = kTableColumns,
     .ownerData = true},
    {.name = "进度条1", .kind = ControlKind::ProgressBar, .place = {1, 1, 992, 14}},
};

// Left to right along the top row, then the table. Of the two target controls only the one
// the radio buttons show is reached.
constexpr std::string_view kFocusOrder[] = {
    "按钮_打开",     "单选框1",           "单选框2",         "组合框1",       "编辑框1",
    "按钮_导入题库", "按钮_返回题库选择", "按钮_清空数据库", "组合框_工作表", "超级列表框"};

}  // namespace

ui::Rect importTablePlace(bool sheetRowShown) {
  if (!sheetRowShown) return kTablePlace;
  return {kTablePlace.left, kTablePlace.top + kSheetRowHeight, kTablePlace.width,
          kTablePlace.height - kSheetRowHeight};
}

const ui::FormDef kImportFormDef{.name = "ImportForm",
                                 .caption = "Quorvix--Nembra专版",
                                 .place = {50, 50, 1000, 622},
                                 .controls = kControls,
                                 .focusOrder = kFocusOrder};

}  // namespace app
