#include "app/forms/ocr_settings_form.h"

#include "app/forms/fonts.h"

namespace app {
namespace {

using ui::ControlKind;

constexpr ui::ControlDef kControls[] = {
    {.name = "标签3",
     .kind = ControlKind::Label,
     .place = {67, 16, 240, 32},
     .text = "百度识别API接口",
     .font = fonts::kKaiHeading,
     .align = ui::Align::Center},
    {.name = "标签1",
     .kind = ControlKind::Label,
     .place = {19, 54, 88, 24},
     .text = "百度API Key",
     .font = fonts::kKai},
    {.name = "编辑框1",
     .kind = ControlKind::EditBox,
     .place = {117, 54, 232, 24},
     .font = fonts::kKai},
    {.name = "标签2",
     .kind = ControlKind::Label,
     .place = {19, 86, 88, 24},
     .text = "Secret Key",
     .font = fonts::kKai},
    {.name = "编辑框2",
     .kind = ControlKind::EditBox,
     .place = {117, 86, 232, 24},
     .font = fonts::kKai},
    {.name = "标签4",
     .kind = ControlKind::Label,
     .place = {19, 118, 88, 24},
     .text = "服务地址",
     .font = fonts::kKai},
    {.name = "编辑框3",
     .kind = ControlKind::EditBox,
     .place = {117, 118, 232, 24},
     .font = fonts::kKai},
    {.name = "按钮1",
     .kind = ControlKind::Button,
     .place = {12, 160, 104, 32},
     .text = "接 口 申 请",
     .font = fonts::kKai},
    {.name = "按钮3",
     .kind = ControlKind::Button,
     .place = {132, 160, 104, 32},
     .text = "秘 钥 测 试",
     .font = fonts::kKai},
    {.name = "按钮2",
     .kind = ControlKind::Button,
     .place = {252, 160, 104, 32},
     .text = "恢 复 默 认",
     .font = fonts::kKai},
    {.name = "标签5",
     .kind = ControlKind::Label,
     .place = {19, 206, 88, 24},
     .text = "识别方式",
     .font = fonts::kKai},
    {.name = "单选框_本地识别",
     .kind = ControlKind::RadioButton,
     .place = {117, 206, 80, 24},
     .text = "本地识别",
     .font = fonts::kKai,
     .group = 1},
    {.name = "单选框_百度识别",
     .kind = ControlKind::RadioButton,
     .place = {197, 206, 80, 24},
     .text = "百度识别",
     .font = fonts::kKai,
     .group = 1},
    {.name = "单选框_识别服务",
     .kind = ControlKind::RadioButton,
     .place = {277, 206, 80, 24},
     .text = "识别服务",
     .font = fonts::kKai,
     .group = 1},
};

// The two keys and the service address, the buttons as they stand from left to right, then the
// choice of recognition.
constexpr std::string_view kFocusOrder[] = {
    "编辑框1", "编辑框2",         "编辑框3",         "按钮1",          "按钮3",
    "按钮2",   "单选框_本地识别", "单选框_百度识别", "单选框_识别服务"};

}  // namespace

const ui::FormDef kOcrSettingsFormDef{.name = "OcrSettingsForm",
                                      .caption = "百度在线文字识别OCR",
                                      .place = {50, 50, 380, 271},
                                      .controls = kControls,
                                      .focusOrder = kFocusOrder,
                                      .escapeCloses = true};

}  // namespace app
