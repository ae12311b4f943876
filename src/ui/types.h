// Plain values shared by the toolkit interface and its backends.
#pragma once
#include <cstdint>

namespace ui {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Position and size in pixels. For a form: the window on the screen; for a control: inside
// its form's client area (negative or large values place it partly or wholly out of sight).
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class ControlKind {
  Label,
  TransparentLabel,
  Button,
  CheckBox,
  RadioButton,
  ComboBox,      // drop-down list; the text is the selected item's
  EditBox,       // single- or multi-line, see ControlDef
  PictureBox,    // shows an image given as file bytes (BMP, JPEG, ...)
  DrawingPanel,  // a canvas with a background picture; mouse events
  ProgressBar,
  FileDialog,  // not visual: the system open-file dialog with the control's filter
  StatusBar,   // sections of text
  ListView,    // report style: rows of text cells under titled columns
  Slider,
};

enum class Align { Left, Center, Right };

enum class Cursor { Arrow, Cross };

enum class MouseButton { None, Left, Right, Middle };

struct MouseEvent {
  MouseButton button = MouseButton::None;
  Point point;  // in the control's client coordinates
};

// Identifies a live form across threads; a form's handle is never reused.
using FormHandle = std::uint64_t;

// Virtual key codes, as Windows numbers them.
namespace key {
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kShift = 0x10;
inline constexpr int kControl = 0x11;
inline constexpr int kEscape = 0x1B;
inline constexpr int kSpace = 0x20;
inline constexpr int kLeft = 0x25;
inline constexpr int kUp = 0x26;
inline constexpr int kRight = 0x27;
inline constexpr int kDown = 0x28;
inline constexpr int kF4 = 0x73;
}  // namespace key

// Hotkey modifiers, as RegisterHotKey numbers them.
namespace modifier {
inline constexpr unsigned kNone = 0;
inline constexpr unsigned kAlt = 1;
inline constexpr unsigned kControl = 2;
inline constexpr unsigned kShift = 4;
}  // namespace modifier

// Message box styles and results, as MessageBox numbers them, so a caller's raw style value
// (for example TimedNotice's flags) passes through unchanged.
namespace mb {
inline constexpr unsigned kOk = 0x0;
inline constexpr unsigned kOkCancel = 0x1;
inline constexpr unsigned kYesNo = 0x4;
inline constexpr unsigned kIconError = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconWarning = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr unsigned kTaskModal = 0x2000;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
inline constexpr int kIdTimedOut = 32000;
}  // namespace mb

}  // namespace ui
