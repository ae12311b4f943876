// How the answer form floats over the quiz: its opacity (多功能条1, enabled by 选择框_窗口透明)
// and always-on-top (选择框_自动置顶).
#pragma once
#include "app/forms/answer_form.h"

namespace app {

// Attaches the option controls' handlers. Call before the form is created.
void attachFormOptions(AnswerForm& form);

}  // namespace app
