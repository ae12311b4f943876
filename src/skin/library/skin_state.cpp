#include "skin/library/skin_state.h"

namespace skinlib {

SkinState state;

namespace {

// A role the skin leaves out keeps the system's colour.
COLORREF systemColour(int role) {
  switch (role) {
    case kFormText:
    case kEditText:
    case kListText:
      return GetSysColor(COLOR_WINDOWTEXT);
    case kButtonText:
      return GetSysColor(COLOR_BTNTEXT);
    case kButtonDisabledText:
      return GetSysColor(COLOR_GRAYTEXT);
    case kButtonBorder:
      return GetSysColor(COLOR_3DDKSHADOW);
    case kEditBackground:
    case kListBackground:
      return GetSysColor(COLOR_WINDOW);
    case kProgressBar:
      return GetSysColor(COLOR_HIGHLIGHT);
    default:
      return GetSysColor(COLOR_BTNFACE);
  }
}

}  // namespace

void dropBrushes() {
  for (HBRUSH& brush : state.brush) {
    if (brush) DeleteObject(brush);
    brush = nullptr;
  }
}

void updateColours() {
  dropBrushes();
  for (int role = 0; role < kRoleCount; ++role) {
    COLORREF base = state.skin.given[role] ? state.skin.colour[role] : systemColour(role);
    state.colour[role] = shiftColour(base, state.hue, state.saturation, state.brightness);
    state.brush[role] = CreateSolidBrush(state.colour[role]);
  }
}

}  // namespace skinlib
