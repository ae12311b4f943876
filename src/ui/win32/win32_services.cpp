// System services of the Win32 backend: message boxes and the timed notice, the open-file
// dialog, web pages, screen and cursor, clipboard, simulated keys, the global mouse hook and
// the screen snapshot.

#include <map>
#include <vector>

#include "ui/toolkit.h"
#include "ui/win32/bitmaps.h"
#include "ui/win32/monitors.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_backend.h"
#include "ui/win32/win32_peers.h"

namespace ui::win32 {
namespace {

// ---- The timed notice ----
// The system's timed message box (MessageBoxTimeout) never closes under Wine, so the box is an
// ordinary one that a thread timer ends at its deadline. The timer message reaches the box's
// own modal loop on the same thread.

struct TimedBox {
  DWORD thread = 0;
  bool expired = false;
};
thread_local TimedBox* currentTimedBox = nullptr;

BOOL CALLBACK endMessageBox(HWND window, LPARAM) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (lstrcmpW(className, L"#32770") == 0) EndDialog(window, mb::kIdTimedOut);
  return TRUE;
}

void CALLBACK timedBoxExpired(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!currentTimedBox) return;
  currentTimedBox->expired = true;
  EnumThreadWindows(currentTimedBox->thread, endMessageBox, 0);
}

BOOL CALLBACK findFirstVisibleOwnWindow(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// By class name, which any thread may ask (a form's peer is for the UI thread only).
bool isFormWindow(HWND window) {
  wchar_t className[32] = {};
  return window && GetClassNameW(window, className, 32) &&
         lstrcmpW(className, formClassName()) == 0;
}

// ---- The global mouse hook ----
// One system hook serves every callback the program installs; it is removed with the last.

struct MouseHooks {
  HHOOK system = nullptr;
  std::map<MouseHookId, std::function<void(const MouseHookEvent&)>> callbacks;
  MouseHookId next = 1;
};

MouseHooks& mouseHooks() {
  static MouseHooks hooks;
  return hooks;
}

LRESULT CALLBACK lowLevelMouse(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION) {
    const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
    MouseHookEvent event;
    event.point = {info->pt.x, info->pt.y};
    switch (message) {
      case WM_LBUTTONDOWN:
        event.action = MouseHookAction::LeftDown;
        break;
      case WM_LBUTTONUP:
        event.action = MouseHookAction::LeftUp;
        break;
      case WM_MOUSEMOVE:
        event.action = MouseHookAction::Move;
        break;
      default:
        break;
    }
    auto callbacks = mouseHooks().callbacks;  // a callback may remove itself
    for (auto& [id, callback] : callbacks) callback(event);
  }
  return CallNextHookEx(nullptr, code, message, data);
}

}  // namespace

// An owned box disables its owner while it is up and activates it again when it closes, so
// the form keeps the focus and the keys typed next reach it.
HWND Win32Backend::ownerWindow(Form* owner) const {
  if (owner) {
    if (HWND window = windowOf(*owner)) return window;
  }
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  if (GetGUIThreadInfo(uiThread_, &thread) && isFormWindow(thread.hwndActive)) {
    return thread.hwndActive;
  }
  HWND first = nullptr;
  EnumWindows(findFirstVisibleOwnWindow, reinterpret_cast<LPARAM>(&first));
  return first;
}

int Win32Backend::messageBox(Form* owner, const std::string& text, const std::string& caption,
                             unsigned style) {
  HWND window = ownerWindow(owner);
  return MessageBoxW(window, wide(text).c_str(), wide(caption).c_str(),
                     style | (window ? 0u : unsigned(MB_TASKMODAL)));
}

int Win32Backend::messageBoxWide(Form* owner, const std::u16string& text,
                                 const std::string& caption, unsigned style) {
  HWND window = ownerWindow(owner);
  const std::wstring shown(text.begin(), text.end());
  return MessageBoxW(window, shown.c_str(), wide(caption).c_str(),
                     style | (window ? 0u : unsigned(MB_TASKMODAL)));
}

int Win32Backend::timedMessageBox(Form* ownerForm, const std::string& text,
                                  const std::string& caption, unsigned style, unsigned timeoutMs) {
  HWND owner = ownerWindow(ownerForm);
  TimedBox box{GetCurrentThreadId(), false};
  TimedBox* outer = currentTimedBox;
  currentTimedBox = &box;
  UINT_PTR timer = SetTimer(nullptr, 0, timeoutMs, timedBoxExpired);
  int result = MessageBoxW(owner, wide(text).c_str(), wide(caption).c_str(), style);
  if (!box.expired) KillTimer(nullptr, timer);
  currentTimedBox = outer;
  return box.expired ? mb::kIdTimedOut : result;
}

namespace {

// "Name|*.ext|..." becomes the file dialogs' NUL-separated list.
std::wstring dialogFilter(const std::string& filter) {
  std::wstring list = wide(filter);
  for (wchar_t& c : list) {
    if (c == L'|') c = L'\0';
  }
  list.append(2, L'\0');
  return list;
}

}  // namespace

namespace {

// The open and save dialogs' common part: the wide texts and the file buffer the structure
// points into, so the two differ only in their flags and the call.
struct FileDialogSetup {
  FileDialogSetup(const std::string& filterText, const std::string& titleText,
                  const std::filesystem::path& initialFolder, const std::string& defaultExtension,
                  const std::string& fileName)
      : filter(dialogFilter(filterText)),
        title(wide(titleText)),
        folder(initialFolder.wstring()),
        extension(wide(defaultExtension)),
        file(32768, L'\0') {
    std::wstring initial = wide(fileName);
    initial.copy(file.data(), std::min(initial.size(), file.size() - 1));
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = filterText.empty() ? nullptr : filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = DWORD(file.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  }
  FileDialogSetup(const FileDialogSetup&) = delete;  // the structure points into the members
  FileDialogSetup& operator=(const FileDialogSetup&) = delete;

  std::filesystem::path chosen() const { return std::filesystem::path(std::wstring(file.data())); }

  std::wstring filter, title, folder, extension;
  std::vector<wchar_t> file;
  OPENFILENAMEW dialog{};
};

}  // namespace

std::filesystem::path Win32Backend::chooseOpenFile(const OpenFileRequest& request) {
  FileDialogSetup setup(request.filter, request.title, request.initialFolder,
                        request.defaultExtension, request.fileName);
  OPENFILENAMEW& dialog = setup.dialog;
  if (request.createPrompt) dialog.Flags |= OFN_CREATEPROMPT;
  if (request.fileMustExist) dialog.Flags |= OFN_FILEMUSTEXIST;
  if (request.pathMustExist) dialog.Flags |= OFN_PATHMUSTEXIST;
  if (request.keepCurrentDirectory) dialog.Flags |= OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return {};
  return setup.chosen();
}

SaveFileChoice Win32Backend::chooseSaveFile(const SaveFileRequest& request) {
  FileDialogSetup setup(request.filter, request.title, request.initialFolder,
                        request.defaultExtension, request.fileName);
  OPENFILENAMEW& dialog = setup.dialog;
  dialog.nFilterIndex = DWORD(std::max(request.filterIndex, 1));
  // The program's current directory stays where it is: files beside it are found by it.
  dialog.Flags |= OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (request.overwritePrompt) dialog.Flags |= OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameW(&dialog)) return {};
  return {setup.chosen(), int(dialog.nFilterIndex)};
}

void Win32Backend::openUrl(const std::string& url) {
  ShellExecuteW(nullptr, L"open", wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

Size Win32Backend::screenSize() const {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::vector<Monitor> Win32Backend::monitors() const { return listMonitors(); }

Point Win32Backend::cursorPosition() const {
  POINT point{};
  GetCursorPos(&point);
  return {point.x, point.y};
}

std::uint32_t Win32Backend::clipboardSequence() { return GetClipboardSequenceNumber(); }

std::optional<std::string> Win32Backend::clipboardText() {
  // Read as UTF-16 and converted by our own codec, so the text does not depend on the
  // system's ANSI code page.
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      std::size_t limit = GlobalSize(data) / sizeof(wchar_t);
      std::size_t length = 0;
      while (length < limit && units[length]) ++length;
      text = narrow(std::wstring_view(units, length));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void Win32Backend::pressKey(int virtualKey, bool down) {
  keybd_event(BYTE(virtualKey), 0, down ? 0 : KEYEVENTF_KEYUP, 0);
}

MouseHookId Win32Backend::installMouseHook(std::function<void(const MouseHookEvent&)> hook) {
  MouseHooks& hooks = mouseHooks();
  if (!hook) return 0;
  if (!hooks.system) {
    hooks.system = SetWindowsHookExW(WH_MOUSE_LL, lowLevelMouse, GetModuleHandleW(nullptr), 0);
    if (!hooks.system) return 0;
  }
  MouseHookId id = hooks.next++;
  hooks.callbacks[id] = std::move(hook);
  return id;
}

bool Win32Backend::removeMouseHook(MouseHookId hook) {
  MouseHooks& hooks = mouseHooks();
  if (!hooks.callbacks.erase(hook)) return false;
  if (hooks.callbacks.empty() && hooks.system) {
    UnhookWindowsHookEx(hooks.system);
    hooks.system = nullptr;
  }
  return true;
}

std::string Win32Backend::screenSnapshotBmp() {
  // Every monitor: the screen DC's origin is the primary monitor's corner, so the ones left of
  // or above it are read at negative coordinates.
  Rect screen = virtualScreenRect();
  HDC screenDc = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screenDc);
  HBITMAP bitmap = CreateCompatibleBitmap(screenDc, screen.width, screen.height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, screen.width, screen.height, screenDc, screen.left, screen.top,
         SRCCOPY | CAPTUREBLT);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screenDc);
  std::string bytes = bmpBytes(bitmap);
  DeleteObject(bitmap);
  return bytes;
}

// One copy of the area into a top-down 32-bit section: no palette, no conversion to a file.
// Plain SRCCOPY: gathering layered windows too (CAPTUREBLT) costs more on every sample, and
// the answer form itself is one of them.
std::vector<std::uint32_t> Win32Backend::screenPixels(Rect area) {
  if (area.width <= 0 || area.height <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = area.width;
  info.bmiHeader.biHeight = -area.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels;
  HDC screenDc = GetDC(nullptr);
  if (!screenDc) return pixels;
  HDC memory = CreateCompatibleDC(screenDc);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (memory && section && bits) {
    HGDIOBJ old = SelectObject(memory, section);
    if (BitBlt(memory, 0, 0, area.width, area.height, screenDc, area.left, area.top, SRCCOPY)) {
      GdiFlush();
      const auto* source = static_cast<const std::uint32_t*>(bits);
      pixels.assign(source, source + std::size_t(area.width) * std::size_t(area.height));
      for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    }
    SelectObject(memory, old);
  }
  if (section) DeleteObject(section);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screenDc);
  return pixels;
}

}  // namespace ui::win32
