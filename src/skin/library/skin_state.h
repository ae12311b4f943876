// What the skin library holds while a skin is attached: the skin as read, the colour shift, and
// the colours and brushes the windows are painted with.
#pragma once
// clang-format off
#include <windows.h>
// clang-format on

#include "skin/library/skin_file.h"

namespace skinlib {

struct SkinState {
  bool attached;
  Palette skin;
  int hue, saturation, brightness;
  COLORREF colour[kRoleCount];
  HBRUSH brush[kRoleCount];
  HHOOK creationHook;
  DWORD thread;  // the thread whose windows wear the skin
  HWND hotButton;
};

extern SkinState state;

// Recomputes the colours and brushes from the skin and the shift.
void updateColours();
// Deletes the brushes.
void dropBrushes();

// Windows (skinned_windows.cpp).
bool hookThread();
void unhookThread();
void skinExistingWindows();
void unskinAllWindows();
void refreshAllWindows();

// Push buttons (button_painter.cpp).
void paintButton(HWND button, HDC dc);

}  // namespace skinlib
