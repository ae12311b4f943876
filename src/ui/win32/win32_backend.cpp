// Forms, the message loops and posted work. System services are in win32_services.cpp.
#include "ui/win32/win32_backend.h"

#include "ui/keyboard.h"
#include "ui/toolkit.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_peers.h"

namespace ui::win32 {
namespace {

// True when the loop should go on; a WM_QUIT met in a nested loop is put back for the
// outermost one.
bool pumpOne(MSG& message) {
  if (message.message == WM_QUIT) {
    PostQuitMessage(int(message.wParam));
    return false;
  }
  dispatchMessage(message);
  return true;
}

// The dialog manager moves the focus within a radio group on an arrow key but selects only
// automatic radio buttons; ours are selected by the toolkit, as a click would.
void selectRadioReached(Win32FormPeer& form, const Control* before) {
  Control* after = form.focusedControl();
  if (!before || !after || after == before || before->kind() != ControlKind::RadioButton ||
      after->kind() != ControlKind::RadioButton) {
    return;
  }
  auto* peer = form.controlOf(Win32Backend::windowOf(*after));
  if (peer && !peer->checked()) peer->onCommand(BN_CLICKED);
}

// Enter presses the focused button. A dialog's own procedure makes the focused button its
// default one for that; an edit box asks for the default button too when Enter reaches it
// (DM_GETDEFID), so the form names none and presses the button itself.
bool pressFocusedButton(Win32FormPeer& form, const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return false;
  Control* focused = form.focusedControl();
  if (!focused || focused->kind() != ControlKind::Button) return false;
  if (auto* peer = form.controlOf(Win32Backend::windowOf(*focused))) {
    peer->onCommand(BN_CLICKED);
  }
  return true;
}

}  // namespace

void dispatchMessage(MSG& message) {
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    Win32FormPeer* form = Win32FormPeer::of(root);
    // Keys typed go to the focus. A key message sent straight to some other control (as a
    // test driver does) is for that control alone: the dialog manager would act on the focus.
    HWND focus = GetFocus();
    bool typed = message.hwnd == focus || (!focus && message.hwnd == root);
    // The form hears a key before its control, as its key-down event, except the keys the
    // dialog manager takes for moving the focus and pressing buttons.
    if (form && message.message == WM_KEYDOWN &&
        !(typed && isNavigationKey(form->focusedControl(), int(message.wParam)))) {
      Win32ControlPeer* to = typed ? nullptr : form->controlOf(message.hwnd);
      form->form().deliverKeyDown(int(message.wParam), to ? &to->control() : nullptr);
    }
    // The form may be gone now (Esc closes some).
    form = Win32FormPeer::of(root);
    if (form && typed && pressFocusedButton(*form, message)) return;
    if (form && typed) {
      Control* before = form->focusedControl();
      if (IsDialogMessageW(root, &message)) {
        // A button the key pressed may have closed the form.
        form = Win32FormPeer::of(root);
        if (form && message.message == WM_KEYDOWN) selectRadioReached(*form, before);
        return;
      }
    }
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

Win32Backend::Win32Backend() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                      ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = postedWorkProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QuorvixPostedWork";
  RegisterClassExW(&windowClass);
  messageWindow_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, windowClass.hInstance, nullptr);
  SetWindowLongPtrW(messageWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Backend::~Win32Backend() {
  // Windows of destroyed forms wait in the queue for their destruction; let it happen.
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) DispatchMessageW(&message);
  }
  SetWindowLongPtrW(messageWindow_, GWLP_USERDATA, 0);
  DestroyWindow(messageWindow_);
}

HWND Win32Backend::windowOf(const Form& form) {
  auto* peer = dynamic_cast<Win32FormPeer*>(form.peer());
  return peer ? peer->window() : nullptr;
}

HWND Win32Backend::windowOf(const Control& control) {
  auto* peer = dynamic_cast<Win32ControlPeer*>(control.peer());
  return peer ? peer->window() : nullptr;
}

std::unique_ptr<FormPeer> Win32Backend::createForm(Form& form) {
  return std::make_unique<Win32FormPeer>(form);
}

int Win32Backend::runMessageLoop() {
  MSG message{};
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    dispatchMessage(message);
    detail::collectDeadForms();
  }
  return got == -1 ? 1 : int(message.wParam);
}

void Win32Backend::quit(int exitCode) { PostQuitMessage(exitCode); }

void Win32Backend::runModal(Form& form) {
  // The other forms wait while the modal one is up, as they do under a dialog.
  std::vector<HWND> disabled;
  HWND own = windowOf(form);
  for (Form* other : liveForms()) {
    HWND window = windowOf(*other);
    if (window && window != own && IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      disabled.push_back(window);
    }
  }
  MSG message;
  while (form.alive()) {
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
      PostQuitMessage(int(message.wParam));
      break;
    }
    dispatchMessage(message);
  }
  for (HWND window : disabled) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
}

void Win32Backend::processMessages(int milliseconds) {
  DWORD start = GetTickCount();
  DWORD span = DWORD(std::max(0, milliseconds));
  MSG message;
  for (;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!pumpOne(message)) return;
    }
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= span) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, span - elapsed, QS_ALLINPUT);
  }
}

void Win32Backend::post(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(work));
  }
  PostMessageW(messageWindow_, kRunPosted, 0, 0);
}

LRESULT CALLBACK Win32Backend::postedWorkProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == kRunPosted) {
    auto* backend = reinterpret_cast<Win32Backend*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (backend) backend->runPostedWork();
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

void Win32Backend::runPostedWork() {
  // One item per message: work that opens a modal loop must not hold up the rest.
  std::function<void()> work;
  {
    std::lock_guard lock(mutex_);
    if (posted_.empty()) return;
    work = std::move(posted_.front());
    posted_.pop_front();
  }
  work();
}

}  // namespace ui::win32
