#include "app/controllers/answer_options.h"

namespace app {
namespace {

// Past the slider's upper bound: the slider clamps it to 255, fully opaque.
constexpr int kOpaqueRequest = 1000;

}  // namespace

void attachFormOptions(AnswerForm& form) {
  // Layered from the first move on, with the slider's alpha (0 invisible, 255 opaque).
  form.多功能条1.onPositionChanged = [&form] { form.setAlpha(form.多功能条1.position()); };
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

}  // namespace app
