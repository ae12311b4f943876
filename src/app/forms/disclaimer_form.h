// The disclaimer shown at start: accept to choose a bank, refuse to end the program.
#pragma once
#include "ui/toolkit.h"

namespace app {

extern const ui::FormDef kDisclaimerFormDef;

class DisclaimerForm : public ui::Form {
 public:
  DisclaimerForm() : ui::Form(kDisclaimerFormDef) {}
  ui::Label 标签1{*this, "标签1"};
  ui::Label 标签2{*this, "标签2"};
  ui::Button 按钮_同意{*this, "按钮_同意"};
  ui::Button 按钮_拒绝{*this, "按钮_拒绝"};
};

}  // namespace app
