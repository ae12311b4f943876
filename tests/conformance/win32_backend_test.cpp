// What only real windows can show: texts as the window holds them, fonts that draw Chinese,
// the self-closing notice, layered windows, hotkeys, the clipboard and the drawing surface.
#include "ui/win32/win32_backend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "platform/cp936.h"
#include "test_form.h"
#include "ui/system.h"
#include "ui/win32/win32_api.h"

namespace {

using ui::win32::Win32Backend;
using uitest::TestForm;

std::string gbk(std::string_view utf8) { return cp936::fromUtf8(utf8); }

std::wstring windowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

class Win32BackendTest : public ::testing::Test {
 protected:
  Win32BackendTest() { ui::install(backend); }
  ~Win32BackendTest() override { ui::uninstall(); }
  Win32Backend backend;
};

TEST_F(Win32BackendTest, TextsReachTheWindowsAsUtf16AndEditBoxesBreakLinesAtCrLf) {
  auto& form = ui::load<TestForm>();
  EXPECT_EQ(windowText(Win32Backend::windowOf(form)), L"测试");
  EXPECT_EQ(windowText(Win32Backend::windowOf(form.按钮1)), L"开 始");
  form.编辑框1.setContent(gbk("一\n二\r\n三\n"));
  EXPECT_EQ(windowText(Win32Backend::windowOf(form.编辑框1)), L"一\r\n二\r\n三\r\n");
  EXPECT_EQ(form.编辑框1.content(), gbk("一\r\n二\r\n三\r\n"));
}

TEST_F(Win32BackendTest, ControlFontsDrawChineseEvenWhenTheNamedFaceIsMissing) {
  auto& form = ui::load<TestForm>();
  HWND button = Win32Backend::windowOf(form.按钮1);
  auto font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  HDC dc = GetDC(button);
  HGDIOBJ old = SelectObject(dc, font);
  WORD glyphs[2] = {};
  GetGlyphIndicesW(dc, L"测试", 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  ReleaseDC(button, dc);
  EXPECT_NE(glyphs[0], 0xFFFF);
  EXPECT_NE(glyphs[1], 0xFFFF);
}

TEST_F(Win32BackendTest, TimedNoticeClosesItselfAtItsDeadlineOnAnyThread) {
  ui::load<TestForm>();
  DWORD start = GetTickCount();
  EXPECT_EQ(ui::timedMessageBox(gbk("稍后关闭"), gbk("友情提醒"), ui::mb::kOk, 300),
            ui::mb::kIdTimedOut);
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 250u);
  EXPECT_LT(elapsed, 5000u);

  // The box from a worker is owned by the form, so the UI thread keeps serving messages.
  std::atomic<int> fromWorker{0};
  std::thread worker(
      [&] { fromWorker = ui::timedMessageBox(gbk("线程"), gbk("友情提醒"), ui::mb::kOk, 200); });
  start = GetTickCount();
  while (fromWorker == 0 && GetTickCount() - start < 10000) ui::processMessages(10);
  worker.join();
  EXPECT_EQ(fromWorker, ui::mb::kIdTimedOut);
}

// The box of a process's own, as a person sees it: its window, its owner, and whether the owner
// could be clicked meanwhile.
struct SeenBox {
  HWND box = nullptr;
  HWND owner = nullptr;
  bool ownerEnabled = true;
};

BOOL CALLBACK findBox(HWND window, LPARAM seen) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  auto& found = *reinterpret_cast<SeenBox*>(seen);
  found.box = window;
  found.owner = GetWindow(window, GW_OWNER);
  found.ownerEnabled = found.owner && IsWindowEnabled(found.owner);
  return FALSE;
}

// Looks for the box from another thread while the UI thread sits in the box's loop.
SeenBox watchForBox(const std::function<void()>& showBox) {
  SeenBox seen;
  std::atomic<bool> done{false};
  DWORD thread = GetCurrentThreadId();
  std::thread watcher([&] {
    while (!done && !seen.box) {
      EnumThreadWindows(thread, findBox, reinterpret_cast<LPARAM>(&seen));
      Sleep(10);
    }
  });
  showBox();
  done = true;
  watcher.join();
  return seen;
}

TEST_F(Win32BackendTest, ABoxBelongsToTheFormOfItsEventWhichGetsItsFocusBack) {
  auto& form = ui::load<TestForm>();
  auto& other = ui::load<uitest::OtherForm>();
  SetForegroundWindow(Win32Backend::windowOf(form));
  ui::processMessages(20);
  form.组合框1.focus();
  ASSERT_EQ(GetFocus(), Win32Backend::windowOf(form.组合框1));

  SeenBox seen = watchForBox([&] {
    bool shown = false;
    ui::post(form.handle(), [&] {
      ui::timedMessageBox(gbk("已是搜索结果第一项"), gbk("友情提醒"), ui::mb::kOk, 300);
      shown = true;
    });
    DWORD start = GetTickCount();
    while (!shown && GetTickCount() - start < 5000) ui::processMessages(10);
  });
  ASSERT_NE(seen.box, nullptr);
  EXPECT_EQ(seen.owner, Win32Backend::windowOf(form)) << "not the other form, not the desktop";
  EXPECT_FALSE(seen.ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(Win32Backend::windowOf(other))) << "the box waits on its form only";
  EXPECT_EQ(GetActiveWindow(), Win32Backend::windowOf(form));
  EXPECT_TRUE(form.组合框1.hasFocus());
  EXPECT_EQ(GetFocus(), Win32Backend::windowOf(form.组合框1));
}

TEST_F(Win32BackendTest, TheDropDownIsWideEnoughForTheLongestItem) {
  auto& form = ui::load<TestForm>();
  HWND combo = Win32Backend::windowOf(form.组合框1);
  const int boxWidth = 100;
  EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0), boxWidth);
  std::wstring longName = L"二〇二六年全国普通高等学校招生统一考试理科综合能力测试题库.edb";
  form.组合框1.addItem(gbk("短.edb"));
  form.组合框1.addItem(
      cp936::fromUtf8("二〇二六年全国普通高等学校招生统一考试理科综合能力测试题库.edb"));
  HDC dc = GetDC(combo);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(combo, WM_GETFONT, 0, 0)));
  SIZE text{};
  GetTextExtentPoint32W(dc, longName.c_str(), int(longName.size()), &text);
  SelectObject(dc, old);
  ReleaseDC(combo, dc);
  LRESULT dropped = SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0);
  EXPECT_GT(dropped, text.cx + GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_LE(dropped, GetSystemMetrics(SM_CXSCREEN));
  form.组合框1.clear();
  EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0), boxWidth);
}

TEST_F(Win32BackendTest, AlphaMakesTheFormLayeredWithThatOpacity) {
  auto& form = ui::load<TestForm>();
  HWND window = Win32Backend::windowOf(form);
  EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  form.setAlpha(200);
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 200);
  EXPECT_TRUE(flags & LWA_ALPHA);
}

TEST_F(Win32BackendTest, AHotkeyBelongsToOneFormUntilItIsGone) {
  auto& first = ui::load<TestForm>();
  auto& second = ui::load<uitest::OtherForm>();
  EXPECT_TRUE(first.registerHotkey(1, ui::modifier::kAlt, 'Q'));
  EXPECT_FALSE(second.registerHotkey(1, ui::modifier::kAlt, 'Q'));
  first.destroy();
  EXPECT_TRUE(second.registerHotkey(1, ui::modifier::kAlt, 'Q'));
  second.unregisterHotkey(1);
}

TEST_F(Win32BackendTest, ClipboardTextComesBackAsGbk) {
  const wchar_t text[] = L"誠乗丄 abc";
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(text));
  std::memcpy(GlobalLock(memory), text, sizeof(text));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  EXPECT_EQ(ui::clipboardText(), gbk("誠乗丄 abc"));
}

// The pixel at (x, y) of a 24-bit bottom-up BMP, as 0xRRGGBB.
std::uint32_t pixelAt(const std::string& bmp, int x, int y) {
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  std::memcpy(&file, bmp.data(), sizeof(file));
  std::memcpy(&info, bmp.data() + sizeof(file), sizeof(info));
  int stride = (info.biWidth * 3 + 3) / 4 * 4;
  const auto* p = reinterpret_cast<const unsigned char*>(bmp.data()) + file.bfOffBits +
                  (info.biHeight - 1 - y) * stride + x * 3;
  return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

TEST_F(Win32BackendTest, DrawingPanelsShowWhatWasDrawnAndCopyBetweenThemselves) {
  auto& form = ui::load<TestForm>();
  form.画板1.drawRectangle({2, 3}, {20, 25});
  std::string shot = form.画板1.snapshotBmp();
  ASSERT_GT(shot.size(), 54u);
  BITMAPINFOHEADER info;
  std::memcpy(&info, shot.data() + sizeof(BITMAPFILEHEADER), sizeof(info));
  EXPECT_EQ(info.biWidth, 40);
  EXPECT_EQ(info.biHeight, 30);
  EXPECT_EQ(pixelAt(shot, 2, 3), 0xFF0000u);
  EXPECT_EQ(pixelAt(shot, 20, 25), 0xFF0000u);
  EXPECT_EQ(pixelAt(shot, 10, 10), 0xFFFFFFu);

  form.画板2.copyFrom(form.画板1, {0, 0, 40, 30}, {0, 0});
  EXPECT_EQ(form.画板2.snapshotBmp(), shot);
  form.画板1.clear();
  EXPECT_EQ(pixelAt(form.画板1.snapshotBmp(), 2, 3), 0xFFFFFFu);
  form.画板1.setPicture(shot);
  EXPECT_EQ(form.画板1.snapshotBmp(), shot);
}

// A panel with a picture, drawn on in several places and cleared, shows its picture again,
// in its snapshot and on the screen, however little of it the clear repaints.
TEST_F(Win32BackendTest, AClearedPanelShowsItsPictureAgainWhereverItWasDrawnOn) {
  auto& form = ui::load<TestForm>();
  form.画板1.drawLine({0, 0}, {39, 29});
  form.画板1.drawRectangle({5, 5}, {30, 20});
  std::string picture = form.画板1.snapshotBmp();  // white with red lines
  form.画板1.setPicture(picture);
  auto onScreen = [&] {
    HWND panel = Win32Backend::windowOf(form.画板1);
    UpdateWindow(panel);
    HDC dc = GetDC(panel);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(panel, dc);
    return pixels;
  };
  auto shown = onScreen();
  for (int round = 0; round < 3; ++round) {
    // Apart from each other, so no drawing's area covers another's.
    form.画板1.drawRectangle({30 - round, 2 + round}, {3 + round, 27 - round});
    form.画板1.drawLine({38, 1}, {36, 9});
    form.画板1.copyFrom(form.画板1, {0, 0, 4, 4}, {34, 23});
    ASSERT_NE(form.画板1.snapshotBmp(), picture);
    ASSERT_NE(onScreen(), shown);
    form.画板1.clear();
    EXPECT_EQ(form.画板1.snapshotBmp(), picture) << "round " << round;
    EXPECT_EQ(onScreen(), shown) << "round " << round;
  }
}

}  // namespace

namespace {

// Under Xvfb Wine reports one monitor (or several, all at 0, 0); the snapshot must still match
// the virtual screen the system reports and the primary must be the screen size.
TEST_F(Win32BackendTest, MonitorsAndTheSnapshotFollowTheVirtualScreen) {
  std::vector<ui::Monitor> monitors = ui::monitors();
  ASSERT_FALSE(monitors.empty());
  int primary = ui::primaryMonitorIndex(monitors);
  ASSERT_GE(primary, 0);
  EXPECT_TRUE(monitors[std::size_t(primary)].primary);
  EXPECT_EQ(monitors[std::size_t(primary)].area,
            (ui::Rect{0, 0, ui::screenSize().width, ui::screenSize().height}));
  for (const ui::Monitor& m : monitors) EXPECT_GT(m.dpi, 0);
  ui::Rect screen = ui::virtualScreen();
  EXPECT_EQ(screen, (ui::Rect{GetSystemMetrics(SM_XVIRTUALSCREEN),
                              GetSystemMetrics(SM_YVIRTUALSCREEN),
                              GetSystemMetrics(SM_CXVIRTUALSCREEN),
                              GetSystemMetrics(SM_CYVIRTUALSCREEN)}));
  std::string shot = ui::screenSnapshotBmp();
  ASSERT_GT(shot.size(), 54u);
  BITMAPINFOHEADER info;
  std::memcpy(&info, shot.data() + sizeof(BITMAPFILEHEADER), sizeof(info));
  EXPECT_EQ(info.biWidth, screen.width);
  EXPECT_EQ(std::abs(info.biHeight), screen.height);
}

}  // namespace
