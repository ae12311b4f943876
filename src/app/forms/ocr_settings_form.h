// The two keys of the OCR service and its address, with a key test, a reload and the
// provider's page; below them, the choice of recognition: the program's own, the provider's, or
// the service at the address.
#pragma once
#include "ui/toolkit.h"

namespace app {

extern const ui::FormDef kOcrSettingsFormDef;

class OcrSettingsForm : public ui::Form {
 public:
  OcrSettingsForm() : ui::Form(kOcrSettingsFormDef) {}
  ui::Label 标签3{*this, "标签3"};
  ui::Label 标签1{*this, "标签1"};
  ui::EditBox 编辑框1{*this, "编辑框1"};
  ui::Label 标签2{*this, "标签2"};
  ui::EditBox 编辑框2{*this, "编辑框2"};
  ui::Label 标签4{*this, "标签4"};
  ui::EditBox 编辑框3{*this, "编辑框3"};  // the service address; empty for the provider's
  ui::Button 按钮1{*this, "按钮1"};
  ui::Button 按钮3{*this, "按钮3"};
  ui::Button 按钮2{*this, "按钮2"};
  ui::Label 标签5{*this, "标签5"};
  ui::RadioButton 单选框_本地识别{*this, "单选框_本地识别"};
  ui::RadioButton 单选框_百度识别{*this, "单选框_百度识别"};
  ui::RadioButton 单选框_识别服务{*this, "单选框_识别服务"};
};

}  // namespace app
