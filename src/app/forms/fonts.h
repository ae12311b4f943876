// The typefaces of the forms: 楷体 for the controls, SimSun for the status bar, 微软雅黑 for the
// screenshot hint. Sizes are ours.
#pragma once
#include "ui/form_definition.h"

namespace app::fonts {

inline constexpr ui::FontDef kKai{.face = "楷体", .pointSize = 10};
inline constexpr ui::FontDef kKaiButton{.face = "楷体", .pointSize = 12};
inline constexpr ui::FontDef kKaiHeading{.face = "楷体", .pointSize = 18, .bold = true};
inline constexpr ui::FontDef kSimSun{.face = "SimSun", .pointSize = 9};
inline constexpr ui::FontDef kYaHei{.face = "微软雅黑", .pointSize = 16};

}  // namespace app::fonts
