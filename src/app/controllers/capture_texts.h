// The texts of the capture controls, in one place. Written as UTF-8 here; shown as GBK.
#pragma once
#include "app/controllers/program_text.h"
#include "capture/capture_modes.h"

namespace app::capture_texts {

inline constexpr const char* kHotkeyFailed = "快捷键注册失败";

// What 按钮_开始 says in each state of the capture.
inline const char* startCaption(capture::StartCaption caption) {
  switch (caption) {
    case capture::StartCaption::kDragSelecting:
      return "划屏取词中";
    case capture::StartCaption::kScreenshotF4:
      return "截图(F4)";
    case capture::StartCaption::kScreenshotAltA:
      return "截图(Alt+A)";
    case capture::StartCaption::kWatching:
      return "区域监视中";
    case capture::StartCaption::kStart:
      break;
  }
  return "开 始";
}

}  // namespace app::capture_texts
