// The small always-on-top form beside the quiz: keyword, current question and answer, result
// navigation, capture mode and the floating options. The result list and the captured image
// lie outside the visible area.
#pragma once
#include "ui/toolkit.h"

namespace app {

extern const ui::FormDef kAnswerFormDef;

class AnswerForm : public ui::Form {
 public:
  AnswerForm() : ui::Form(kAnswerFormDef) {}
  ui::PictureBox 图片框1{*this, "图片框1"};
  ui::Label 透明标签1{*this, "透明标签1"};
  ui::Label 标签_热键{*this, "标签_热键"};
  ui::EditBox 编辑框1{*this, "编辑框1"};
  ui::Button 按钮_开始{*this, "按钮_开始"};
  ui::RadioButton 单选框_划屏取词{*this, "单选框_划屏取词"};
  ui::RadioButton 单选框_截屏取词{*this, "单选框_截屏取词"};
  ui::RadioButton 单选框_区域监视{*this, "单选框_区域监视"};
  ui::CheckBox 选择框_自动置顶{*this, "选择框_自动置顶"};
  ui::CheckBox 选择框_自动搜索{*this, "选择框_自动搜索"};
  ui::CheckBox 选择框_窗口透明{*this, "选择框_窗口透明"};
  ui::Slider 多功能条1{*this, "多功能条1"};
  ui::EditBox 编辑框2{*this, "编辑框2"};
  ui::Button 按钮_上一题{*this, "按钮_上一题"};
  ui::Button 按钮_下一题{*this, "按钮_下一题"};
  ui::Button 按钮_删除{*this, "按钮_删除"};
  ui::Button 按钮_返回{*this, "按钮_返回"};
  ui::Button 按钮_赞助{*this, "按钮_赞助"};
  ui::EditBox 编辑框3{*this, "编辑框3"};
  ui::StatusBar 状态条1{*this, "状态条1"};
  ui::PictureBox 图片框2{*this, "图片框2"};
  ui::ListView 超级列表框_题库{*this, "超级列表框_题库"};
};

}  // namespace app
