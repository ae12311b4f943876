// Which windows wear the skin and how: frames paint their background and hand their controls the
// skin's colours, push buttons are painted by the skin, list views, status bars and progress bars
// are told their colours. Windows that exist when the skin is attached are taken over at once,
// later ones as they are created (a creation hook on the skinned thread). Everything is undone
// when the library is unloaded, so no window is left calling into freed code.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "skin/library/skin_state.h"

namespace skinlib {
namespace {

enum Kind : UINT_PTR { kNone, kFrame, kPushButton, kListView, kStatusBar, kProgressBar, kLastKind };

bool isClass(HWND window, const wchar_t* name) {
  wchar_t className[64];
  if (!GetClassNameW(window, className, 64)) return false;
  return lstrcmpiW(className, name) == 0;
}

// Top-level windows painted in the system's face colour (the program's forms) and every dialog.
bool isFrame(HWND window) {
  if (isClass(window, L"#32770")) return true;
  if (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) return false;
  auto background = reinterpret_cast<HBRUSH>(GetClassLongPtrW(window, GCLP_HBRBACKGROUND));
  return background == reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1) ||
         (background && background == GetSysColorBrush(COLOR_BTNFACE));
}

Kind kindOf(HWND window) {
  if (isClass(window, L"Button")) {
    LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? kPushButton : kNone;
  }
  if (isClass(window, L"SysListView32")) return kListView;
  if (isClass(window, L"msctls_statusbar32")) return kStatusBar;
  if (isClass(window, L"msctls_progress32")) return kProgressBar;
  return isFrame(window) ? kFrame : kNone;
}

void applyControlColours(HWND window, UINT_PTR kind) {
  switch (kind) {
    case kListView:
      SendMessageW(window, LVM_SETBKCOLOR, 0, LPARAM(state.colour[kListBackground]));
      SendMessageW(window, LVM_SETTEXTBKCOLOR, 0, LPARAM(state.colour[kListBackground]));
      SendMessageW(window, LVM_SETTEXTCOLOR, 0, LPARAM(state.colour[kListText]));
      break;
    case kStatusBar:
      SendMessageW(window, SB_SETBKCOLOR, 0, LPARAM(state.colour[kStatusBackground]));
      break;
    case kProgressBar:
      SendMessageW(window, PBM_SETBARCOLOR, 0, LPARAM(state.colour[kProgressBar]));
      SendMessageW(window, PBM_SETBKCOLOR, 0, LPARAM(state.colour[kFormBackground]));
      break;
    default:
      break;
  }
}

void restoreControlColours(HWND window, UINT_PTR kind) {
  switch (kind) {
    case kListView:
      SendMessageW(window, LVM_SETBKCOLOR, 0, LPARAM(GetSysColor(COLOR_WINDOW)));
      SendMessageW(window, LVM_SETTEXTBKCOLOR, 0, LPARAM(GetSysColor(COLOR_WINDOW)));
      SendMessageW(window, LVM_SETTEXTCOLOR, 0, LPARAM(GetSysColor(COLOR_WINDOWTEXT)));
      break;
    case kStatusBar:
      SendMessageW(window, SB_SETBKCOLOR, 0, LPARAM(CLR_DEFAULT));
      break;
    case kProgressBar:
      SendMessageW(window, PBM_SETBARCOLOR, 0, LPARAM(CLR_DEFAULT));
      SendMessageW(window, PBM_SETBKCOLOR, 0, LPARAM(CLR_DEFAULT));
      break;
    default:
      break;
  }
}

// The colours of a control a frame is asked for. Only the system's own answer is replaced: a
// brush the program chose itself (a transparent label's) stays, with the skin's text colour.
LRESULT controlColour(UINT message, HDC dc, LRESULT systemAnswer) {
  bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  int background = field ? kEditBackground : kFormBackground;
  SetTextColor(dc, state.colour[field ? kEditText : kFormText]);
  auto given = reinterpret_cast<HBRUSH>(systemAnswer);
  bool systemBrush = given == GetSysColorBrush(field ? COLOR_WINDOW : COLOR_BTNFACE) ||
                     given == reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1) || !given;
  if (!systemBrush) return systemAnswer;
  SetBkColor(dc, state.colour[background]);
  return reinterpret_cast<LRESULT>(state.brush[background]);
}

LRESULT frameMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT area;
      GetClientRect(window, &area);
      FillRect(reinterpret_cast<HDC>(w), &area, state.brush[kFormBackground]);
      return 1;
    }
    case WM_CTLCOLORDLG:
      SetBkColor(reinterpret_cast<HDC>(w), state.colour[kFormBackground]);
      return reinterpret_cast<LRESULT>(state.brush[kFormBackground]);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return controlColour(message, reinterpret_cast<HDC>(w),
                           DefSubclassProc(window, message, w, l));
    default:
      return DefSubclassProc(window, message, w, l);
  }
}

// The system paints a push button itself, outside WM_PAINT, when its state, text or focus
// changes; the skin paints over it right after.
bool buttonRepaintsItself(UINT message) {
  switch (message) {
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case BM_SETCHECK:
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
      return true;
    default:
      return false;
  }
}

void repaintButton(HWND button) {
  if (!IsWindowVisible(button)) return;
  HDC dc = GetDC(button);
  if (!dc) return;
  paintButton(button, dc);
  ReleaseDC(button, dc);
}

LRESULT buttonMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc) paintButton(window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      paintButton(window, reinterpret_cast<HDC>(w));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (state.hotButton != window) {
        HWND previous = state.hotButton;
        state.hotButton = window;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        if (previous && IsWindow(previous)) repaintButton(previous);
        repaintButton(window);
      }
      break;
    case WM_MOUSELEAVE:
      if (state.hotButton == window) state.hotButton = nullptr;
      repaintButton(window);
      break;
    default:
      break;
  }
  LRESULT result = DefSubclassProc(window, message, w, l);
  if (buttonRepaintsItself(message) && IsWindow(window)) repaintButton(window);
  return result;
}

LRESULT CALLBACK skinnedWindowProc(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR kind,
                                   DWORD_PTR) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, skinnedWindowProc, kind);
    if (state.hotButton == window) state.hotButton = nullptr;
    return DefSubclassProc(window, message, w, l);
  }
  switch (kind) {
    case kFrame:
      return frameMessage(window, message, w, l);
    case kPushButton:
      return buttonMessage(window, message, w, l);
    default:
      break;
  }
  LRESULT result = DefSubclassProc(window, message, w, l);
  if (message == WM_CREATE) applyControlColours(window, kind);
  return result;
}

void adopt(HWND window, bool exists) {
  Kind kind = kindOf(window);
  if (kind == kNone) return;
  if (!SetWindowSubclass(window, skinnedWindowProc, kind, 0)) return;
  if (exists) applyControlColours(window, kind);
}

BOOL CALLBACK adoptChild(HWND window, LPARAM) {
  adopt(window, true);
  return TRUE;
}

BOOL CALLBACK adoptTree(HWND window, LPARAM) {
  adopt(window, true);
  EnumChildWindows(window, adoptChild, 0);
  return TRUE;
}

BOOL CALLBACK releaseWindow(HWND window, LPARAM) {
  for (UINT_PTR kind = kFrame; kind < kLastKind; ++kind) {
    if (RemoveWindowSubclass(window, skinnedWindowProc, kind)) restoreControlColours(window, kind);
  }
  return TRUE;
}

BOOL CALLBACK releaseTree(HWND window, LPARAM) {
  releaseWindow(window, 0);
  EnumChildWindows(window, releaseWindow, 0);
  return TRUE;
}

BOOL CALLBACK recolourChild(HWND window, LPARAM) {
  for (UINT_PTR kind = kListView; kind < kLastKind; ++kind) {
    DWORD_PTR data;
    if (GetWindowSubclass(window, skinnedWindowProc, kind, &data))
      applyControlColours(window, kind);
  }
  return TRUE;
}

BOOL CALLBACK redrawTree(HWND window, LPARAM) {
  EnumChildWindows(window, recolourChild, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  return TRUE;
}

LRESULT CALLBACK creationHook(int code, WPARAM w, LPARAM l) {
  if (code == HCBT_CREATEWND) adopt(reinterpret_cast<HWND>(w), false);
  return CallNextHookEx(nullptr, code, w, l);
}

}  // namespace

bool hookThread() {
  if (state.creationHook) return true;
  // A hook on our own thread needs no module handle, which an image mapped from memory lacks.
  state.creationHook = SetWindowsHookExW(WH_CBT, creationHook, nullptr, GetCurrentThreadId());
  return state.creationHook != nullptr;
}

void unhookThread() {
  if (state.creationHook) UnhookWindowsHookEx(state.creationHook);
  state.creationHook = nullptr;
}

void skinExistingWindows() { EnumThreadWindows(state.thread, adoptTree, 0); }

void unskinAllWindows() {
  EnumThreadWindows(state.thread, releaseTree, 0);
  state.hotButton = nullptr;
}

void refreshAllWindows() { EnumThreadWindows(state.thread, redrawTree, 0); }

}  // namespace skinlib
