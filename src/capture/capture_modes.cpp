#include "capture/capture_modes.h"

namespace capture {

void CaptureModes::show(StartCaption caption) {
  caption_ = caption;
  desk_.showCaption(caption);
}

void CaptureModes::StartStopCapture() {
  if (on()) {
    stop();
    return;
  }
  desk_.enableModeChoice(false);
  if (desk_.chosenMode() == CaptureMode::kDragSelect) {
    show(StartCaption::kDragSelecting);
    desk_.installMouseHook();
    dragCaptureOn_ = true;
    return;
  }
  desk_.prepareRecognition();
  dragCaptureOn_ = false;
  if (desk_.chosenMode() == CaptureMode::kRegionWatch) {
    if (desk_.startRegionWatch()) {
      show(StartCaption::kWatching);
    } else {
      desk_.enableModeChoice(true);
    }
    return;
  }
  for (const ScreenshotHotkey& hotkey : kScreenshotHotkeys) {
    if (desk_.addHotkey(hotkey)) {
      show(hotkey.caption);
      return;
    }
  }
  // The caption stays, so pressing again tries the keys again; the mode choice is free again,
  // so the user can go back to dragging without leaving the form.
  desk_.reportHotkeyFailure();
  desk_.enableModeChoice(true);
}

void CaptureModes::stop() {
  show(StartCaption::kStart);
  desk_.closeBank();
  desk_.enableModeChoice(true);
  dragCaptureOn_ = false;
  desk_.removeAllHotkeys();
  // Whatever mode was on: removing a hook that is not there does nothing.
  desk_.removeMouseHook();
  desk_.stopRegionWatch();
}

void CaptureModes::release() {
  dragCaptureOn_ = false;
  desk_.removeMouseHook();
  desk_.removeAllHotkeys();
  desk_.stopRegionWatch();
}

}  // namespace capture
