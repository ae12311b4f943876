#include "answer/form_options.h"

namespace answer {
namespace {

// Past the slider's upper bound: the slider clamps it to 255, fully opaque.
constexpr int kOpaqueRequest = 1000;

}  // namespace

void setWindowAlpha(ui::Form& form, int alpha) { form.setAlpha(alpha); }

void attachFormOptions(app::AnswerForm& form) {
  form.多功能条1.onPositionChanged = [&form] { setWindowAlpha(form, form.多功能条1.position()); };
  form.选择框_窗口透明.onClick = [&form] {
    if (form.选择框_窗口透明.checked()) {
      form.多功能条1.setEnabled(true);
    } else {
      form.多功能条1.setPosition(kOpaqueRequest);
      form.多功能条1.setEnabled(false);
    }
  };
  form.选择框_自动置顶.onClick = [&form] {
    bool onTop = form.选择框_自动置顶.checked();
    form.setTopmost(onTop);
    form.setTitleKeptActive(onTop);
  };
}

}  // namespace answer
