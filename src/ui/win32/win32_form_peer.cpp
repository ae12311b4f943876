// Form windows: creation, window properties, keyboard focus as a dialog keeps it, and the
// window procedure that turns control notifications into toolkit events.
#include "ui/win32/monitors.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_backend.h"
#include "ui/win32/win32_peers.h"

namespace ui::win32 {
namespace {

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

}  // namespace

const wchar_t* formClassName() {
  static const wchar_t* name = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Win32FormPeer::windowProc;
    windowClass.hInstance = instance();
    windowClass.hIcon = LoadIconW(instance(), MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"QuorvixForm";
    RegisterClassExW(&windowClass);
    return L"QuorvixForm";
  }();
  return name;
}

Win32FormPeer::Win32FormPeer(Form& form) : form_(form) {
  const FormDef& definition = form.definition();
  DWORD style = definition.style == FormStyle::Borderless
                    ? WS_POPUP
                    : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  // Laid out for the monitor the form opens on; its place there is kept, its size scaled.
  const Rect& place = definition.place;
  dpi_ = monitorDpi(MonitorFromPoint({place.left, place.top}, MONITOR_DEFAULTTONEAREST));
  window_ = CreateWindowExW(0, formClassName(), L"", style, place.left, place.top,
                            scaled(place.width), scaled(place.height), nullptr, nullptr,
                            instance(), this);
}

Win32FormPeer::~Win32FormPeer() {
  if (!window_) return;
  for (int id : hotkeys_) UnregisterHotKey(window_, id);
  // The window may be in the middle of the message that destroyed the form (a click on one of
  // its buttons): hide it now, destroy it once that message has been handled.
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  ShowWindow(window_, SW_HIDE);
  PostMessageW(window_, kDestroyLater, 0, reinterpret_cast<LPARAM>(window_));
}

Win32FormPeer* Win32FormPeer::of(HWND window) {
  wchar_t className[32] = {};
  if (!window || !GetClassNameW(window, className, 32) ||
      lstrcmpW(className, formClassName()) != 0) {
    return nullptr;
  }
  return reinterpret_cast<Win32FormPeer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

std::unique_ptr<ControlPeer> Win32FormPeer::createControl(Control& control) {
  auto peer = std::make_unique<Win32ControlPeer>(control, *this);
  if (peer->window()) controlWindows_[peer->window()] = peer.get();
  return peer;
}

Win32ControlPeer* Win32FormPeer::controlOf(HWND window) const {
  auto found = controlWindows_.find(window);
  return found == controlWindows_.end() ? nullptr : found->second;
}

void Win32FormPeer::setCaption(const std::string& caption) {
  SetWindowTextW(window_, wide(caption).c_str());
}

std::string Win32FormPeer::caption() const {
  std::wstring text(GetWindowTextLengthW(window_) + 1, L'\0');
  text.resize(GetWindowTextW(window_, text.data(), int(text.size())));
  return narrow(text);
}

void Win32FormPeer::setBounds(Rect bounds) {
  MoveWindow(window_, bounds.left, bounds.top, bounds.width, bounds.height, TRUE);
}

Rect Win32FormPeer::bounds() const {
  RECT r{};
  GetWindowRect(window_, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32FormPeer::setVisible(bool visible) { ShowWindow(window_, visible ? SW_SHOW : SW_HIDE); }

bool Win32FormPeer::visible() const { return IsWindowVisible(window_); }

void Win32FormPeer::setTopmost(bool topmost) {
  SetWindowPos(window_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool Win32FormPeer::topmost() const {
  return (GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void Win32FormPeer::setAlpha(int alpha) {
  LONG_PTR ex = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(window_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
  if (SetLayeredWindowAttributes(window_, 0, BYTE(alpha), LWA_ALPHA)) alpha_ = alpha;
}

int Win32FormPeer::alpha() const {
  if (!(GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_LAYERED)) return -1;
  return alpha_;
}

bool Win32FormPeer::registerHotkey(int id, unsigned modifiers, int virtualKey) {
  if (hotkeys_.count(id) || !RegisterHotKey(window_, id, modifiers, UINT(virtualKey))) {
    return false;
  }
  hotkeys_.insert(id);
  return true;
}

void Win32FormPeer::unregisterHotkey(int id) {
  if (hotkeys_.erase(id)) UnregisterHotKey(window_, id);
}

// ---- Keyboard focus ----

bool Win32FormPeer::active() const { return GetActiveWindow() == window_; }

HWND Win32FormPeer::focusedChild() const {
  HWND focus = GetFocus();
  if (!focus || !IsChild(window_, focus)) return nullptr;
  // A control's own child (a combo box's edit part) stands for the control.
  while (GetParent(focus) != window_) focus = GetParent(focus);
  return focus;
}

Control* Win32FormPeer::focusedControl() const {
  HWND window = active() ? focusedChild() : savedFocus_;
  auto* peer = window ? controlOf(window) : nullptr;
  return peer ? &peer->control() : nullptr;
}

void Win32FormPeer::setFocusedControl(Control* control) {
  HWND target = control ? Win32Backend::windowOf(*control) : nullptr;
  if (active()) {
    SetFocus(target ? target : window_);
  } else {
    savedFocus_ = target;
  }
}

void Win32FormPeer::moveFocus(HWND target) {
  if (!target) return;
  SetFocus(target);
  // As in a dialog: an edit box reached by the keyboard has its text selected.
  if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
    SendMessageW(target, EM_SETSEL, 0, -1);
  }
}

void Win32FormPeer::setFocusOrder(const std::vector<Control*>& order) {
  focusOrder_ = order;
  // Out of the order, a control is neither a tab stop nor part of a group.
  for (Control* control : form_.controls()) {
    if (HWND window = Win32Backend::windowOf(*control)) {
      LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
      SetWindowLongPtrW(window, GWL_STYLE, (style & ~LONG_PTR(WS_TABSTOP)) | WS_GROUP);
    }
  }
  // In it, the controls come to the top of the z-order in its order; a radio button that
  // follows one of its group continues that group.
  HWND after = HWND_TOP;
  const Control* previous = nullptr;
  for (Control* control : order) {
    HWND window = Win32Backend::windowOf(*control);
    if (!window) continue;
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = window;
    bool radio = control->kind() == ControlKind::RadioButton;
    bool continuesGroup = radio && previous && previous->kind() == ControlKind::RadioButton &&
                          previous->definition().group == control->definition().group;
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    if (continuesGroup) style &= ~LONG_PTR(WS_GROUP);
    if (!radio) style |= WS_TABSTOP;
    SetWindowLongPtrW(window, GWL_STYLE, style);
    previous = control;
  }
  for (Control* control : order) {
    if (control->kind() == ControlKind::RadioButton) refreshRadioStops(control->definition().group);
  }
}

void Win32FormPeer::refreshRadioStops(int group) {
  std::vector<HWND> radios;
  HWND stop = nullptr;
  for (Control* control : focusOrder_) {
    if (control->kind() != ControlKind::RadioButton || control->definition().group != group) {
      continue;
    }
    HWND window = Win32Backend::windowOf(*control);
    if (!window) continue;
    radios.push_back(window);
    if (!stop && SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED) stop = window;
  }
  if (radios.empty()) return;
  if (!stop) stop = radios.front();
  for (HWND window : radios) {
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    style = window == stop ? style | WS_TABSTOP : style & ~LONG_PTR(WS_TABSTOP);
    SetWindowLongPtrW(window, GWL_STYLE, style);
  }
}

LRESULT CALLBACK Win32FormPeer::windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (message == kDestroyLater) {
    HWND target = reinterpret_cast<HWND>(l);
    if (IsWindow(target)) DestroyWindow(target);
    return 0;
  }
  auto* peer = reinterpret_cast<Win32FormPeer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // The peer may be gone when handle() returns: a handler can destroy the form.
  if (peer && peer->window_ == window) return peer->handle(message, w, l);
  if (message == WM_CLOSE) return 0;  // a form being destroyed closes only through its peer
  return DefWindowProcW(window, message, w, l);
}

LRESULT Win32FormPeer::handle(UINT message, WPARAM w, LPARAM l) {
  HWND window = window_;
  switch (message) {
    case WM_COMMAND: {
      // The dialog manager may name the button by its id alone; IDOK and IDCANCEL without a
      // button of that id (Enter in an edit box, Esc) are keys the form has already heard.
      HWND from = l ? reinterpret_cast<HWND>(l) : GetDlgItem(window, LOWORD(w));
      if (auto* control = controlOf(from)) {
        control->onCommand(HIWORD(w));
        return 0;
      }
      if (!l) return 0;
      break;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(l);
      auto* control = controlOf(header->hwndFrom);
      return control ? control->onNotify(*header) : 0;
    }
    case WM_ACTIVATE:
      if (HIWORD(w)) break;  // minimised
      // As a dialog does: the focus is kept while another window is active and given back.
      if (LOWORD(w) == WA_INACTIVE) {
        savedFocus_ = focusedChild();
      } else {
        HWND target = savedFocus_;
        bool reachable = target && IsWindow(target) && IsChild(window, target) &&
                         IsWindowVisible(target) && IsWindowEnabled(target);
        SetFocus(reachable ? target : window);
      }
      return 0;
    case WM_NEXTDLGCTL:
      // Sent by the dialog manager for Tab and Shift+Tab (l 0, w: backwards) or with the
      // control to go to (l not 0, w: the control).
      if (LOWORD(l)) {
        if (w) SetFocus(reinterpret_cast<HWND>(w));
      } else {
        moveFocus(GetNextDlgTabItem(window, focusedChild(), w != 0));
      }
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (auto* control = controlOf(reinterpret_cast<HWND>(l))) {
        control->onScroll();
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (auto* control = controlOf(reinterpret_cast<HWND>(l))) {
        if (HBRUSH brush = control->colorStatic(reinterpret_cast<HDC>(w))) {
          return reinterpret_cast<LRESULT>(brush);
        }
      }
      break;
    case WM_CLOSE:
      form_.deliverClose();
      return 0;
    case kDpiChanged: {
      // Moved to a monitor of another scale: lay the form out again for it, in the rectangle
      // the system suggests.
      int newDpi = LOWORD(w);
      if (newDpi <= 0 || newDpi == dpi_) return 0;
      // A borderless form is the full-screen overlay: it spans every monitor in screen pixels,
      // and the system would shrink it to the one monitor it suggests.
      if (form_.definition().style == FormStyle::Borderless) return 0;
      int oldDpi = dpi_;
      dpi_ = newDpi;
      const auto* suggested = reinterpret_cast<const RECT*>(l);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      for (Control* control : form_.controls()) {
        if (auto* peer = controlOf(Win32Backend::windowOf(*control))) peer->rescale(oldDpi, newDpi);
      }
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case WM_HOTKEY:
      form_.deliverHotkey(int(w));
      return 0;
    case WM_NCACTIVATE:
      if (titleKeptActive_) return DefWindowProcW(window, message, TRUE, l);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace ui::win32
