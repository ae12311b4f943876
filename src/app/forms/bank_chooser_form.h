// Choosing the bank to answer from, with the ways to the import form, to exporting and to deleting
// a bank.
#pragma once
#include "ui/toolkit.h"

namespace app {

extern const ui::FormDef kBankChooserFormDef;

class BankChooserForm : public ui::Form {
 public:
  BankChooserForm() : ui::Form(kBankChooserFormDef) {}
  ui::Label 透明标签_请选择题库{*this, "透明标签_请选择题库"};
  ui::ComboBox 组合框1{*this, "组合框1"};
  ui::Button 按钮_导入题库{*this, "按钮_导入题库"};
  ui::Button 按钮_删除题库{*this, "按钮_删除题库"};
  ui::Button 按钮_导出题库{*this, "按钮_导出题库"};
  ui::Button 按钮_开始考试{*this, "按钮_开始考试"};
};

}  // namespace app
