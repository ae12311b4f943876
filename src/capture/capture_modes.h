// The capture modes behind the answer form's start button: which mode is on, what the button
// says, and what starting and stopping do. The front end carries the effects out through a
// CaptureDesk, so the same transitions serve the program and the tests.
#pragma once

namespace capture {

// The mode the answer form's radio buttons choose.
enum class CaptureMode { kDragSelect, kScreenshot, kRegionWatch };

// What the start button says. Capture is on exactly when it says anything but kStart.
enum class StartCaption { kStart, kDragSelecting, kScreenshotF4, kScreenshotAltA, kWatching };

// Hotkey modifiers and keys as the system numbers them.
inline constexpr unsigned kNoModifiers = 0;
inline constexpr unsigned kAltModifier = 1;
inline constexpr int kF4Key = 0x73;
inline constexpr int kLetterAKey = 0x41;

// A screenshot hotkey and the caption that announces it.
struct ScreenshotHotkey {
  int id;
  unsigned modifiers;
  int virtualKey;
  StartCaption caption;
};

// Tried in this order: F4, and Alt+A when F4 is held by another program.
inline constexpr ScreenshotHotkey kScreenshotHotkeys[] = {
    {1, kNoModifiers, kF4Key, StartCaption::kScreenshotF4},
    {2, kAltModifier, kLetterAKey, StartCaption::kScreenshotAltA},
};

// What starting and stopping capture act on. Called on the user-interface thread.
class CaptureDesk {
 public:
  virtual CaptureMode chosenMode() const = 0;
  virtual void showCaption(StartCaption caption) = 0;
  virtual void enableModeChoice(bool enabled) = 0;
  // Closes the answer bank; the next search opens it again.
  virtual void closeBank() = 0;
  // The system-wide mouse hook of drag-select mode. A hook the system refuses is not reported:
  // the mode is on and captures nothing.
  virtual void installMouseHook() = 0;
  virtual void removeMouseHook() = 0;  // nothing happens when none is installed
  // Screenshot mode is starting: an access token for the recognitions, fetched when none is
  // held; the OCR settings open when none can be had.
  virtual void prepareRecognition() = 0;
  // True when the hotkey is registered and listed with the screenshot overlay as its action.
  virtual bool addHotkey(const ScreenshotHotkey& hotkey) = 0;
  virtual void removeAllHotkeys() = 0;
  // Neither hotkey could be registered.
  virtual void reportHotkeyFailure() = 0;
  // Region watch: lets the user mark the area (or keep the one marked before) and starts
  // watching it. False when the user left without an area: the mode stays off.
  virtual bool startRegionWatch() = 0;
  virtual void stopRegionWatch() = 0;  // nothing happens when none is running

 protected:
  ~CaptureDesk() = default;
};

class CaptureModes {
 public:
  explicit CaptureModes(CaptureDesk& desk) : desk_(desk) {}

  // The start button's click: starts the chosen mode when capture is off, else stops it.
  void StartStopCapture();
  // The answer form is going: the hook and the hotkeys are released, whatever mode was on.
  void release();

  StartCaption caption() const { return caption_; }
  bool on() const { return caption_ != StartCaption::kStart; }
  // True while drag-select capture is on; the mouse hook copies only then.
  bool dragCaptureOn() const { return dragCaptureOn_; }

 private:
  void stop();
  void show(StartCaption caption);

  CaptureDesk& desk_;
  StartCaption caption_ = StartCaption::kStart;
  bool dragCaptureOn_ = false;
};

}  // namespace capture
