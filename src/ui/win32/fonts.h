// Fonts as the forms name them. A face that is not installed (楷体 on most systems other than
// Chinese Windows, every Windows face under Wine) falls back to an installed CJK face, so
// Chinese captions never show as boxes.
#pragma once
#include "ui/form_definition.h"
#include "ui/win32/win32_api.h"

namespace ui::win32 {

// The font at `dpi` (96 at 100%). Shared for the life of the process; never delete the result.
HFONT fontFor(const FontDef& font, int dpi);

}  // namespace ui::win32
