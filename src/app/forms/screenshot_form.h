// The full-screen overlay for choosing a screen rectangle: the frozen screen, the cut-out,
// the magnifier and its scratch panel, and the hint.
#pragma once
#include "ui/toolkit.h"

namespace app {

extern const ui::FormDef kScreenshotFormDef;

class ScreenshotForm : public ui::Form {
 public:
  ScreenshotForm() : ui::Form(kScreenshotFormDef) {}
  ui::DrawingPanel 画板1{*this, "画板1"};
  ui::DrawingPanel 画板2{*this, "画板2"};
  ui::DrawingPanel 画板3{*this, "画板3"};
  ui::PictureBox 图片框1{*this, "图片框1"};
  ui::Label 标签_提示{*this, "标签_提示"};
};

}  // namespace app
