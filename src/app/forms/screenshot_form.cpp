#include "app/forms/screenshot_form.h"

#include "app/forms/fonts.h"

namespace app {
namespace {

using ui::ControlKind;

// 画板1 lies at the bottom and is sized to the screen when the overlay opens; the cut-out,
// the scratch panel and the magnifier show only once the mouse has moved.
constexpr ui::ControlDef kControls[] = {
    {.name = "画板1", .kind = ControlKind::DrawingPanel, .place = {0, 0, 144, 120}},
    {.name = "画板2",
     .kind = ControlKind::DrawingPanel,
     .place = {0, 0, 144, 120},
     .visible = false},
    {.name = "画板3",
     .kind = ControlKind::DrawingPanel,
     .place = {0, 176, 21, 21},
     .visible = false},
    {.name = "图片框1",
     .kind = ControlKind::PictureBox,
     .place = {56, 160, 100, 100},
     .visible = false,
     .stretchPicture = true},
    {.name = "标签_提示",
     .kind = ControlKind::Label,
     .place = {100, 96, 600, 88},
     .text = "按住鼠标左键不放，拉动鼠标到合适的位置，框选区域即为截图区域\r\nesc键退出",
     .font = fonts::kYaHei},
};

}  // namespace

const ui::FormDef kScreenshotFormDef{.name = "ScreenshotForm",
                                     .caption = "",
                                     .place = {50, 50, 250, 296},
                                     .style = ui::FormStyle::Borderless,
                                     .controls = kControls,
                                     // Above the answer form, which floats over everything else.
                                     .topmost = true,
                                     .escapeCloses = true};

}  // namespace app
