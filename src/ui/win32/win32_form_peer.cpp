
#include "ui/win32/wide_text.h"
#include "ui/win32/win32_api.h"
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
  window_ = CreateWindowExW(0, formClassName(), L"", style, definition.place.left,
                            definition.place.top, definition.place.width, definition.place.height,
                            nullptr, nullptr, instance(), this);
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
  return std::make_unique<Win32ControlPeer>(control, window_);
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
    case WM_COMMAND:
      if (auto* control = Win32ControlPeer::of(reinterpret_cast<HWND>(l))) {
        control->onCommand(HIWORD(w));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<const NMHDR*>(l);
      if (auto* control = Win32ControlPeer::of(header->hwndFrom)) control->onNotify(*header);
      return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (auto* control = Win32ControlPeer::of(reinterpret_cast<HWND>(l))) {
        control->onScroll();
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (auto* control = Win32ControlPeer::of(reinterpret_cast<HWND>(l))) {
        if (HBRUSH brush = control->colorStatic(reinterpret_cast<HDC>(w))) {
          return reinterpret_cast<LRESULT>(brush);
        }
      }
      break;
    case WM_CLOSE:
      form_.deliverClose();
      return 0;
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
