// Filling a bank from a workbook: the import table, the target bank and the import buttons.
#pragma once
#include "ui/toolkit.h"

namespace app {

extern const ui::FormDef kImportFormDef;

// The import table's place: where the form was designed to hold it, or moved down under the
// worksheet row while a workbook of several worksheets offers its choice.
ui::Rect importTablePlace(bool sheetRowShown);

class ImportForm : public ui::Form {
 public:
  ImportForm() : ui::Form(kImportFormDef) {}
  ui::ProgressBar 进度条1{*this, "进度条1"};
  ui::Button 按钮_打开{*this, "按钮_打开"};
  ui::FileDialog 通用对话框_导入{*this, "通用对话框_导入"};
  ui::RadioButton 单选框1{*this, "单选框1"};
  ui::RadioButton 单选框2{*this, "单选框2"};
  ui::ComboBox 组合框1{*this, "组合框1"};
  ui::EditBox 编辑框1{*this, "编辑框1"};
  ui::Button 按钮_导入题库{*this, "按钮_导入题库"};
  ui::Button 按钮_返回题库选择{*this, "按钮_返回题库选择"};
  ui::Button 按钮_清空数据库{*this, "按钮_清空数据库"};
  ui::Label 标签_工作表{*this, "标签_工作表"};
  ui::ComboBox 组合框_工作表{*this, "组合框_工作表"};
  ui::ListView 超级列表框{*this, "超级列表框"};

  // Shows or hides the worksheet row and gives the table the room that leaves.
  void showSheetRow(bool shown) {
    组合框_工作表.setVisible(shown);
    标签_工作表.setVisible(shown);
    超级列表框.setBounds(scaled(importTablePlace(shown)));
  }
};

}  // namespace app
