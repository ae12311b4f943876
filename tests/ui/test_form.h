// A small form with one control of each interactive kind, for the toolkit's rule tests, and a
// dialog-like form that Esc closes.
#pragma once
#include "ui/toolkit.h"

namespace uitest {

inline constexpr ui::ColumnDef kColumns[] = {{"序号", 50}, {"题目", 200}};
inline constexpr ui::SectionDef kSections[] = {{80, "Dalvenor"}, {-1, ""}};
inline constexpr ui::ControlDef kControls[] = {
    {.name = "按钮1", .kind = ui::ControlKind::Button, .place = {10, 10, 80, 30}, .text = "开 始"},
    {.name = "选择框1",
     .kind = ui::ControlKind::CheckBox,
     .place = {10, 50, 80, 20},
     .text = "自动",
     .checked = true},
    {.name = "单选框1",
     .kind = ui::ControlKind::RadioButton,
     .place = {10, 70, 80, 20},
     .text = "甲",
     .checked = true},
    {.name = "单选框2",
     .kind = ui::ControlKind::RadioButton,
     .place = {10, 90, 80, 20},
     .text = "乙"},
    {.name = "组合框1", .kind = ui::ControlKind::ComboBox, .place = {100, 10, 100, 20}},
    {.name = "编辑框1", .kind = ui::ControlKind::EditBox, .place = {100, 40, 100, 20}},
    {.name = "列表1",
     .kind = ui::ControlKind::ListView,
     .place = {100, 70, 100, 80},
     .columns = kColumns},
    {.name = "状态条1",
     .kind = ui::ControlKind::StatusBar,
     .place = {0, 180, 300, 20},
     .sections = kSections},
    {.name = "滑块1",
     .kind = ui::ControlKind::Slider,
     .place = {200, 10, 90, 30},
     .slider = {.minimum = 50, .maximum = 255, .position = 200}},
    {.name = "画板1", .kind = ui::ControlKind::DrawingPanel, .place = {200, 50, 40, 30}},
    {.name = "画板2", .kind = ui::ControlKind::DrawingPanel, .place = {200, 90, 40, 30}},
    {.name = "列表2",
     .kind = ui::ControlKind::ListView,
     .place = {200, 125, 90, 50},
     .columns = kColumns,
     .ownerData = true},
};
inline constexpr std::string_view kFocusOrder[] = {"编辑框1", "按钮1",   "选择框1", "单选框1",
                                                   "单选框2", "组合框1", "列表1",   "滑块1"};
inline constexpr ui::FormDef kDefinition{.name = "TestForm",
                                         .caption = "测试",
                                         .place = {50, 50, 300, 220},
                                         .controls = kControls,
                                         .focusOrder = kFocusOrder};

class TestForm : public ui::Form {
 public:
  TestForm() : ui::Form(kDefinition) {}
  ui::Button 按钮1{*this, "按钮1"};
  ui::CheckBox 选择框1{*this, "选择框1"};
  ui::RadioButton 单选框1{*this, "单选框1"};
  ui::RadioButton 单选框2{*this, "单选框2"};
  ui::ComboBox 组合框1{*this, "组合框1"};
  ui::EditBox 编辑框1{*this, "编辑框1"};
  ui::ListView 列表1{*this, "列表1"};
  ui::StatusBar 状态条1{*this, "状态条1"};
  ui::Slider 滑块1{*this, "滑块1"};
  ui::DrawingPanel 画板1{*this, "画板1"};
  ui::DrawingPanel 画板2{*this, "画板2"};
  ui::ListView 列表2{*this, "列表2"};
};

// A second class, so tests can tell forms apart.
class OtherForm : public TestForm {};

inline constexpr ui::ControlDef kDialogControls[] = {
    {.name = "编辑框1", .kind = ui::ControlKind::EditBox, .place = {10, 10, 120, 20}},
    {.name = "按钮1", .kind = ui::ControlKind::Button, .place = {10, 40, 60, 24}, .text = "确定"},
};
inline constexpr std::string_view kDialogFocusOrder[] = {"编辑框1", "按钮1"};
inline constexpr ui::FormDef kDialogDefinition{.name = "DialogForm",
                                               .caption = "对话",
                                               .place = {400, 50, 160, 110},
                                               .controls = kDialogControls,
                                               .focusOrder = kDialogFocusOrder,
                                               .escapeCloses = true};

class DialogForm : public ui::Form {
 public:
  DialogForm() : ui::Form(kDialogDefinition) {}
  ui::EditBox 编辑框1{*this, "编辑框1"};
  ui::Button 按钮1{*this, "按钮1"};
};

}  // namespace uitest
