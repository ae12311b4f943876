#include "app/forms/disclaimer_form.h"

#include "app/forms/fonts.h"

namespace app {
namespace {

using ui::ControlKind;

constexpr ui::ControlDef kControls[] = {
    {.name = "标签1",
     .kind = ControlKind::Label,
     .place = {18, 8, 502, 32},
     .text = "免  责  声  明",
     .font = fonts::kKaiHeading,
     .align = ui::Align::Center},
    {.name = "标签2",
     .kind = ControlKind::Label,
     .place = {2, 40, 542, 88},
     .text = "\r\n"
             "2、不得通过本程序侵害他人利益，程序作者不承担一切后果！\r\n"
             "3、使用本程序者由于使用者原因造成的任何后果程序作者概不负责！\r\n"
             "4、未经作者允许，擅自破解、修改、传，造成的后果程序作者概不负责！\r\n"
             "5、下载后请24小时之内自行删除，如不接受以上条款，请立即删除本程序！",
     .font = fonts::kKai},
    {.name = "按钮_同意",
     .kind = ControlKind::Button,
     .place = {80, 130, 160, 35},
     .text = "同    意",
     .font = fonts::kKaiButton},
    {.name = "按钮_拒绝",
     .kind = ControlKind::Button,
     .place = {300, 130, 160, 35},
     .text = "拒   绝",
     .font = fonts::kKaiButton},
};

constexpr std::string_view kFocusOrder[] = {"按钮_同意", "按钮_拒绝"};

}  // namespace

const ui::FormDef kDisclaimerFormDef{.name = "DisclaimerForm",
                                     .caption = "Quorvix--Nembra专版",
                                     .place = {50, 50, 540, 207},
                                     .controls = kControls,
                                     .focusOrder = kFocusOrder};

}  // namespace app
