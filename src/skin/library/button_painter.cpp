// Push buttons in the skin's colours: a rounded face that lights up under the mouse and darkens
// while pressed, the caption centred in the button's own font, the focus shown as a dotted frame.
// clang-format off
#include <windows.h>
// clang-format on

#include "skin/library/skin_state.h"

namespace skinlib {
namespace {

int faceRole(HWND button, LRESULT buttonState) {
  if (!IsWindowEnabled(button)) return kButtonDisabledFace;
  if (buttonState & BST_PUSHED) return kButtonPressed;
  return button == state.hotButton ? kButtonHot : kButtonFace;
}

void drawCaption(HWND button, HDC dc, RECT area) {
  wchar_t caption[256];
  int length = GetWindowTextW(button, caption, 256);
  if (length <= 0) return;
  HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, state.colour[IsWindowEnabled(button) ? kButtonText : kButtonDisabledText]);
  if (GetWindowLongW(button, GWL_STYLE) & BS_MULTILINE) {
    // Word-wrapped captions are centred by measuring them first.
    RECT measured = area;
    DrawTextW(dc, caption, length, &measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    int height = measured.bottom - measured.top;
    area.top += (area.bottom - area.top - height) / 2;
    DrawTextW(dc, caption, length, &area, DT_CENTER | DT_WORDBREAK);
  } else {
    DrawTextW(dc, caption, length, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  SelectObject(dc, oldFont);
}

}  // namespace

void paintButton(HWND button, HDC dc) {
  RECT area;
  GetClientRect(button, &area);
  LRESULT buttonState = SendMessageW(button, BM_GETSTATE, 0, 0);
  // The corners outside the rounded face show the form behind.
  FillRect(dc, &area, state.brush[kFormBackground]);
  HPEN border = CreatePen(PS_SOLID, 1, state.colour[kButtonBorder]);
  HGDIOBJ oldPen = SelectObject(dc, border);
  HGDIOBJ oldBrush = SelectObject(dc, state.brush[faceRole(button, buttonState)]);
  int corner = state.skin.buttonRadius * 2;
  RoundRect(dc, area.left, area.top, area.right, area.bottom, corner, corner);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(border);

  RECT text = area;
  InflateRect(&text, -4, -2);
  if (buttonState & BST_PUSHED) OffsetRect(&text, 1, 1);
  drawCaption(button, dc, text);

  bool focusHidden = SendMessageW(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS;
  if ((buttonState & BST_FOCUS) && !focusHidden) {
    RECT focus = area;
    InflateRect(&focus, -3, -3);
    SetTextColor(dc, state.colour[kButtonText]);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace skinlib
