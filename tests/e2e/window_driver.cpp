#include "window_driver.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace e2e {
namespace {

struct WindowQuery {
  DWORD process = 0;
  bool visibleOnly = true;
  std::vector<HWND> found;
};

BOOL CALLBACK collectTopLevel(HWND window, LPARAM data) {
  auto& query = *reinterpret_cast<WindowQuery*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == query.process && (!query.visibleOnly || IsWindowVisible(window))) {
    query.found.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK collectChild(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

std::vector<HWND> childrenOf(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::wstring classOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// ---- PNG through GDI+ ----
struct GdiplusStartupInput {
  UINT32 version = 1;
  void* debugCallback = nullptr;
  BOOL suppressBackgroundThread = FALSE;
  BOOL suppressExternalCodecs = FALSE;
};
extern "C" {
int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);
int WINAPI GdipCreateBitmapFromHBITMAP(HBITMAP bitmap, HPALETTE palette, void** result);
int WINAPI GdipSaveImageToFile(void* image, const WCHAR* file, const CLSID* encoder,
                               const void* parameters);
int WINAPI GdipDisposeImage(void* image);
}
const CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

bool savePng(HBITMAP bitmap, const std::filesystem::path& file) {
  static const bool started = [] {
    ULONG_PTR token = 0;
    GdiplusStartupInput input;
    return GdiplusStartup(&token, &input, nullptr) == 0;
  }();
  void* image = nullptr;
  if (!started || GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) != 0) return false;
  bool saved = GdipSaveImageToFile(image, file.c_str(), &kPngEncoder, nullptr) == 0;
  GdipDisposeImage(image);
  return saved;
}

// The screen's pixels under the rectangle.
std::vector<std::uint32_t> grab(const RECT& area, HBITMAP bitmap) {
  int width = area.right - area.left;
  int height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height));
  GetDIBits(memory, bitmap, 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Memory in another process for a message that points to a buffer: the list view copies its
// texts into the caller's address space, so the address must be valid over there.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, SIZE_T bytes) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    target_ =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    if (target_) {
      address_ = VirtualAllocEx(target_, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(target_, address_, 0, MEM_RELEASE);
    if (target_) CloseHandle(target_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool ready() const { return address_ != nullptr; }
  char* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
  bool write(SIZE_T offset, const void* data, SIZE_T bytes) const {
    SIZE_T done = 0;
    return WriteProcessMemory(target_, at(offset), data, bytes, &done) && done == bytes;
  }
  bool read(SIZE_T offset, void* data, SIZE_T bytes) const {
    SIZE_T done = 0;
    return ReadProcessMemory(target_, at(offset), data, bytes, &done) && done == bytes;
  }
  std::wstring readText(SIZE_T offset, SIZE_T chars) const {
    std::wstring text(chars, L'\0');
    if (chars && !read(offset, text.data(), chars * sizeof(wchar_t))) return {};
    return text;
  }

 private:
  HANDLE target_ = nullptr;
  void* address_ = nullptr;
};

// Room for the longest cell the tables hold; longer texts come back cut.
constexpr int kListTextChars = 32768;

bool sendWithin(HWND window, UINT message, WPARAM w, LPARAM l, DWORD_PTR* result) {
  return SendMessageTimeoutW(window, message, w, l, SMTO_ABORTIFHUNG, 5000, result) != 0;
}

// The file-name box of an open-file dialog: the combo box of explorer-style dialogs, the edit
// box of the older ones.
HWND fileNameControl(HWND dialog) {
  for (HWND child : childrenOf(dialog)) {
    int id = GetDlgCtrlID(child);
    if (id == 0x47C || id == 0x480) return child;
  }
  return nullptr;
}

bool closedOrHidden(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

HWND waitForOpenFileDialog(DWORD process) {
  HWND dialog = nullptr;
  waitUntil([&] { return (dialog = openFileDialog(process)) != nullptr; }, 15000);
  return dialog;
}

}  // namespace

std::vector<HWND> topLevelWindows(DWORD process, const std::wstring& title) {
  WindowQuery query{process, true, {}};
  EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&query));
  if (title.empty()) return query.found;
  std::vector<HWND> titled;
  for (HWND window : query.found) {
    if (textOf(window) == title) titled.push_back(window);
  }
  return titled;
}

std::vector<HWND> allWindowsOf(DWORD process) {
  WindowQuery query{process, false, {}};
  EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::wstring textOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

SIZE sizeOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

HWND childWithText(HWND parent, const std::wstring& text, const std::wstring& className) {
  for (HWND child : childrenOf(parent)) {
    if (!IsWindowVisible(child)) continue;
    if (!className.empty() && lstrcmpiW(classOf(child).c_str(), className.c_str()) != 0) continue;
    if (textOf(child) == text) return child;
  }
  return nullptr;
}

std::vector<HWND> childrenOfClass(HWND parent, const std::wstring& className) {
  std::vector<HWND> matching;
  for (HWND child : childrenOf(parent)) {
    if (lstrcmpiW(classOf(child).c_str(), className.c_str()) == 0) matching.push_back(child);
  }
  return matching;
}

std::vector<HWND> editsTopToBottom(HWND parent) {
  auto edits = childrenOfClass(parent, L"Edit");
  std::sort(edits.begin(), edits.end(), [](HWND a, HWND b) {
    RECT ra{}, rb{};
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top < rb.top;
  });
  return edits;
}

void click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

std::wstring statusText(HWND statusBar, int section) {
  constexpr SIZE_T kChars = 1024;
  RemoteBuffer remote(statusBar, kChars * sizeof(wchar_t));
  DWORD_PTR length = 0;
  if (!remote.ready() || !sendWithin(statusBar, SB_GETTEXTLENGTHW, WPARAM(section), 0, &length) ||
      LOWORD(length) >= kChars ||
      !sendWithin(statusBar, SB_GETTEXTW, WPARAM(section), LPARAM(remote.at(0)), nullptr)) {
    return {};
  }
  return remote.readText(0, LOWORD(length));
}

void setText(HWND window, const std::wstring& text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                      SMTO_ABORTIFHUNG, 5000, &ignored);
}

void pressEnter(HWND window) {
  UINT scan = MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC);
  PostMessageW(window, WM_KEYDOWN, VK_RETURN, LPARAM(1 | (scan << 16)));
  PostMessageW(window, WM_KEYUP, VK_RETURN, LPARAM(1 | (scan << 16) | (3u << 30)));
}

std::vector<std::wstring> comboItems(HWND combo) {
  std::vector<std::wstring> items;
  LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(i), 0);
    if (length < 0) continue;
    std::wstring item(std::size_t(length) + 1, L'\0');
    LRESULT copied =
        SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(copied < 0 ? 0 : std::size_t(copied));
    items.push_back(item);
  }
  return items;
}

bool selectComboItem(HWND combo, const std::wstring& text) {
  auto items = comboItems(combo);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] != text) continue;
    SendMessageW(combo, CB_SETCURSEL, WPARAM(i), 0);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return true;
  }
  return false;
}

HWND messageBox(DWORD process, const std::wstring& caption) {
  for (HWND window : topLevelWindows(process, caption)) {
    if (classOf(window) == L"#32770") return window;
  }
  return nullptr;
}

std::wstring messageBoxText(HWND box) {
  std::wstring text;
  for (HWND child : childrenOfClass(box, L"Static")) text += textOf(child);
  return text;
}

void answerMessageBox(HWND box, int buttonId) { click(GetDlgItem(box, buttonId)); }

int listRowCount(HWND list) {
  DWORD_PTR count = 0;
  if (!sendWithin(list, LVM_GETITEMCOUNT, 0, 0, &count)) return -1;
  return int(count);
}

std::vector<std::wstring> listColumnTitles(HWND list) {
  std::vector<std::wstring> titles;
  DWORD_PTR header = 0;
  DWORD_PTR count = 0;
  if (!sendWithin(list, LVM_GETHEADER, 0, 0, &header) || !header ||
      !sendWithin(HWND(header), HDM_GETITEMCOUNT, 0, 0, &count)) {
    return titles;
  }
  constexpr SIZE_T kChars = 1024;
  RemoteBuffer remote(list, sizeof(LVCOLUMNW) + kChars * sizeof(wchar_t));
  if (!remote.ready()) return titles;
  for (int column = 0; column < int(count); ++column) {
    LVCOLUMNW query{};
    query.mask = LVCF_TEXT;
    query.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(LVCOLUMNW)));
    query.cchTextMax = int(kChars);
    std::vector<wchar_t> empty(kChars, L'\0');
    DWORD_PTR ok = 0;
    LVCOLUMNW answer{};
    if (!remote.write(0, &query, sizeof(query)) ||
        !remote.write(sizeof(LVCOLUMNW), empty.data(), kChars * sizeof(wchar_t)) ||
        !sendWithin(list, LVM_GETCOLUMNW, WPARAM(column), LPARAM(remote.at(0)), &ok) || !ok ||
        !remote.read(0, &answer, sizeof(answer))) {
      titles.emplace_back();
      continue;
    }
    // The list may answer with a pointer to its own copy of the title instead of filling ours.
    SIZE_T offset = SIZE_T(reinterpret_cast<char*>(answer.pszText) - remote.at(0));
    std::wstring title;
    if (offset == sizeof(LVCOLUMNW)) {
      title = remote.readText(offset, kChars);
      title.resize(wcsnlen(title.c_str(), kChars));
    }
    titles.push_back(title);
  }
  return titles;
}

std::wstring listCellText(HWND list, int row, int column) {
  RemoteBuffer remote(list, sizeof(LVITEMW) + kListTextChars * sizeof(wchar_t));
  if (!remote.ready()) return {};
  LVITEMW query{};
  query.iSubItem = column;
  query.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(LVITEMW)));
  query.cchTextMax = kListTextChars;
  DWORD_PTR length = 0;
  if (!remote.write(0, &query, sizeof(query)) ||
      !sendWithin(list, LVM_GETITEMTEXTW, WPARAM(row), LPARAM(remote.at(0)), &length) ||
      length >= DWORD_PTR(kListTextChars)) {
    return {};
  }
  return remote.readText(sizeof(LVITEMW), SIZE_T(length));
}

HWND openFileDialog(DWORD process) {
  for (HWND window : topLevelWindows(process)) {
    if (classOf(window) == L"#32770" && fileNameControl(window)) return window;
  }
  return nullptr;
}

bool chooseFileInOpenDialog(DWORD process, const std::wstring& path) {
  HWND dialog = waitForOpenFileDialog(process);
  if (!dialog) return false;
  HWND name = fileNameControl(dialog);
  // A combo box takes the text into its edit part.
  auto edits = childrenOfClass(name, L"Edit");
  HWND target = edits.empty() ? name : edits[0];
  if (!waitUntil(
          [&] {
            setText(target, path);
            return textOf(target) == path;
          },
          5000)) {
    return false;
  }
  click(GetDlgItem(dialog, IDOK));
  return waitUntil([&] { return closedOrHidden(dialog); }, 10000);
}

bool cancelOpenDialog(DWORD process) {
  HWND dialog = waitForOpenFileDialog(process);
  if (!dialog) return false;
  click(GetDlgItem(dialog, IDCANCEL));
  return waitUntil([&] { return closedOrHidden(dialog); }, 10000);
}

bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

bool saveScreenshot(HWND window, const std::filesystem::path& file) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  RECT area{};
  GetWindowRect(window, &area);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right - area.left, area.bottom - area.top);
  ReleaseDC(nullptr, screen);
  // The program paints when its queue is empty: wait until two pictures in a row agree.
  std::vector<std::uint32_t> last;
  waitUntil(
      [&] {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
        auto now = grab(area, bitmap);
        bool settled = now == last;
        last = std::move(now);
        return settled;
      },
      5000);
  std::filesystem::create_directories(file.parent_path());
  bool saved = savePng(bitmap, file);
  DeleteObject(bitmap);
  return saved;
}

std::string utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(),
                              int(out.size()), nullptr, nullptr);
  out.resize(std::size_t(n > 0 ? n : 0));
  return out;
}

}  // namespace e2e
