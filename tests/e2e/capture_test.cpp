// Quorvix.exe under Wine with real mouse and keys from outside (xdotool): drag-select over the
// text of another program's window, and screenshot mode's hotkey, overlay and magnifier. The
// selection the overlay cuts out is kept by the test setting QUORVIX_KEEP_SELECTION and compared
// with the screen as this test saw it before the overlay opened. Recognition goes to the OCR
// service's stand-in on the local test server: with stored keys a token is fetched when
// screenshot mode starts and the selection is sent as a JPEG of its size, whose text is
// searched; without keys the settings form opens.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/ocr_settings.h"
#include "capture_driver.h"
#include "main_forms.h"
#include "ocr_standin.h"
#include "platform/files.h"
#include "x_keyboard.h"

namespace {

using e2e::at;
using e2e::button;
using e2e::CaptureTarget;
using e2e::dragMouse;
using e2e::kScreenH;
using e2e::kScreenW;
using e2e::moveMouse;
using e2e::overlay;
using e2e::Program;
using e2e::runXdotool;
using e2e::waitUntil;

constexpr SIZE kAnswerFormSize{348, 650};

// The screen's pixels in `area`, 0x00RRGGBB, rows top to bottom.
std::vector<std::uint32_t> screenPixels(RECT area) {
  int w = area.right - area.left, h = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> pixels(std::size_t(w) * h);
  GetDIBits(memory, bitmap, 0, UINT(h), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (auto& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

// An uncompressed 24- or 32-bit BMP file's pixels, rows top to bottom.
struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};
Picture readBmp(const std::string& bytes) {
  Picture picture;
  if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return picture;
  auto le = [&](std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | std::uint8_t(bytes[at + i]);
    return v;
  };
  std::uint32_t offset = le(10, 4), bits = le(28, 2);
  int width = int(le(18, 4)), height = int(le(22, 4));
  bool topDown = height < 0;
  height = topDown ? -height : height;
  std::size_t stride = (std::size_t(width) * (bits / 8) + 3) & ~std::size_t(3);
  if ((bits != 24 && bits != 32) || offset + stride * height > bytes.size()) return picture;
  picture = {width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
  for (int row = 0; row < height; ++row) {
    int y = topDown ? row : height - 1 - row;
    for (int x = 0; x < width; ++x)
      picture.pixels[y * width + x] = le(offset + row * stride + x * (bits / 8), 3);
  }
  return picture;
}

// The disclaimer agreed to and the full bank opened: the answer form.
HWND openAnswerForm(const Program& program) {
  HWND disclaimer = e2e::waitForMainForm(program, {540, 207});
  if (!disclaimer) return nullptr;
  auto folder = program.folder() / L"题库";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(e2e::fromBuildPath(QUORVIX_E2E_BANKS) / L"常识题库.edb",
                             folder / L"常识题库.edb");
  e2e::click(button(disclaimer, L"同    意"));
  HWND chooser = e2e::waitForMainForm(program, {590, 240});
  if (!chooser) return nullptr;
  HWND combo = e2e::childrenOfClass(chooser, L"ComboBox").at(0);
  if (!waitUntil([&] { return e2e::selectComboItem(combo, L"常识题库.edb"); })) return nullptr;
  e2e::click(button(chooser, L"开 始 考 试"));
  return e2e::waitForMainForm(program, kAnswerFormSize);
}

HWND keywordBox(HWND form) {
  HWND top = nullptr;
  LONG topY = LONG_MAX;
  for (HWND edit : e2e::childrenOfClass(form, L"Edit")) {
    RECT r{};
    GetWindowRect(edit, &r);
    if (r.top < topY) top = edit, topY = r.top;
  }
  return top;
}

HWND startButton(HWND form) {
  for (const wchar_t* caption : {L"开 始", L"划屏取词中", L"截图(F4)", L"截图(Alt+A)"}) {
    if (HWND b = button(form, caption)) return b;
  }
  return nullptr;
}

bool showsCaption(HWND form, const std::wstring& caption) {
  return waitUntil([&] { return button(form, caption) != nullptr; }, 10000);
}

// The overlay once it takes the keys and the mouse, shown above the answer form.
HWND waitForOverlay(const Program& program, HWND answerForm) {
  HWND shown = e2e::waitForOverlayInput(program);
  if (!shown) return nullptr;
  RECT form{};
  GetWindowRect(answerForm, &form);
  HWND hit = WindowFromPoint({(form.left + form.right) / 2, (form.top + form.bottom) / 2});
  EXPECT_EQ(GetAncestor(hit, GA_ROOT), shown) << "the answer form floats above the overlay";
  return shown;
}

// Long enough for a copy the program should not make to show in the keyword box.
void allowTimeForACopy() { Sleep(1500); }

// Points the program at the stand-in; the keys it knows and the lines it recognises are the
// scenario's.
testsupport::OcrScenario useOcrStandIn(std::vector<std::string> lines = {}, int width = 0,
                                       int height = 0) {
  testsupport::OcrScenario scenario;
  scenario.tag = testsupport::uniqueTag("capture");
  scenario.lines = std::move(lines);
  scenario.width = width;
  scenario.height = height;
  const auto* server = testsupport::TestServer::current();
  if (server) SetEnvironmentVariableA("QUORVIX_OCR_URL", scenario.baseUrl(*server).c_str());
  return scenario;
}

// A user who has passed the key test: the stand-in knows the stored keys.
void storeKeysOfStandIn(const Program& program, const testsupport::OcrScenario& scenario) {
  ASSERT_TRUE(capture::StoreOcrKeys(program.folder(), {scenario.apiKey, scenario.secretKey}));
}

TEST(Capture, DragSelectCopiesTheDraggedTextAndSearchesItUntilStopped) {
  CaptureTarget target;
  ASSERT_NE(target.window(), nullptr);
  Program program(e2e::runFolder());
  HWND form = openAnswerForm(program);
  ASSERT_NE(form, nullptr);
  HWND keyword = keywordBox(form);
  HWND status = e2e::childrenOfClass(form, L"msctls_statusbar32").at(0);

  e2e::click(startButton(form));
  ASSERT_TRUE(showsCaption(form, L"划屏取词中"));
  RECT text{};
  GetWindowRect(target.edit(), &text);
  int y = (text.top + text.bottom) / 2;
  ASSERT_TRUE(dragMouse(text.left + 4, y, text.left + 400, y));
  ASSERT_TRUE(waitUntil([&] { return e2e::textOf(keyword) == L"中国的首都"; }, 10000))
      << "keyword box holds " << e2e::textOf(keyword).size() << " characters";
  EXPECT_TRUE(waitUntil([&] { return e2e::statusText(status, 1) == L"【当前结果/总结果数】：1/1"; },
                        10000));
  e2e::keepScreenshot(form, "capture-drag-select");

  // A click copies nothing.
  e2e::setText(keyword, L"之前");
  ASSERT_TRUE(runXdotool("mousemove --sync " + at(text.left + 60, y) + " click 1"));
  allowTimeForACopy();
  EXPECT_EQ(e2e::textOf(keyword), L"之前");

  // Stopped, the hook is gone: a drag does nothing.
  e2e::click(startButton(form));
  ASSERT_TRUE(showsCaption(form, L"开 始"));
  ASSERT_TRUE(dragMouse(text.left + 4, y, text.left + 400, y));
  allowTimeForACopy();
  EXPECT_EQ(e2e::textOf(keyword), L"之前");
}

TEST(Capture, F4FreezesTheScreenAndTheDraggedRectangleIsCutFromIt) {
  CaptureTarget target;
  ASSERT_NE(target.window(), nullptr);
  SetEnvironmentVariableW(L"QUORVIX_KEEP_SELECTION", L"1");
  auto scenario = useOcrStandIn();
  Program program(e2e::runFolder());
  storeKeysOfStandIn(program, scenario);
  HWND form = openAnswerForm(program);
  ASSERT_NE(form, nullptr);
  auto selection = program.folder() / L"selection.bmp";

  e2e::click(button(form, L"截屏取词"));
  e2e::click(startButton(form));
  ASSERT_TRUE(showsCaption(form, L"截图(F4)"));

  RECT pattern = target.paintedArea();
  RECT cut{pattern.left + 60, pattern.top + 30, pattern.left + 460, pattern.top + 150};
  auto before = screenPixels(cut);
  ASSERT_TRUE(moveMouse(pattern.left + 10, pattern.top + 10));  // keys go where the pointer is
  ASSERT_TRUE(e2e::pressKeys("F4"));
  HWND shown = waitForOverlay(program, form);
  ASSERT_NE(shown, nullptr);
  PostMessageW(target.window(), WM_APP, 0, 0);  // the live screen changes under the overlay

  ASSERT_TRUE(moveMouse(kScreenW - 20, 40));
  e2e::keepScreenshot(shown, "capture-magnifier-top-right");
  ASSERT_TRUE(moveMouse(30, kScreenH - 25));
  e2e::keepScreenshot(shown, "capture-magnifier-bottom-left");
  // From the bottom-right corner to the top-left one.
  ASSERT_TRUE(runXdotool("mousemove --sync " + at(cut.right, cut.bottom) +
                         " mousedown 1 sleep 0.1 " + "mousemove --sync " +
                         at(cut.left + 150, cut.top + 40)));
  e2e::keepScreenshot(shown, "capture-selecting");
  ASSERT_TRUE(runXdotool("mousemove --sync " + at(cut.left, cut.top) + " sleep 0.1 mouseup 1"));

  ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(selection); }, 10000));
  EXPECT_TRUE(waitUntil([&] { return overlay(program) == nullptr; }, 10000));
  Picture picture = readBmp(platform::readFile(selection).value_or(""));
  ASSERT_EQ(picture.width, cut.right - cut.left);
  ASSERT_EQ(picture.height, cut.bottom - cut.top);
  std::size_t differing = 0;
  for (std::size_t i = 0; i < before.size(); ++i) differing += picture.pixels[i] != before[i];
  EXPECT_EQ(differing, 0u) << "pixels that differ from the screen before the overlay";

  // Esc closes the overlay and nothing is cut.
  std::filesystem::remove(selection);
  ASSERT_TRUE(moveMouse(pattern.left + 10, pattern.top + 10));
  ASSERT_TRUE(e2e::pressKeys("F4"));
  ASSERT_NE(waitForOverlay(program, form), nullptr);
  ASSERT_TRUE(e2e::pressKeys("Escape"));
  EXPECT_TRUE(waitUntil([&] { return overlay(program) == nullptr; }, 10000));
  allowTimeForACopy();
  EXPECT_FALSE(std::filesystem::exists(selection));
}

TEST(Capture, WithF4HeldElsewhereAltAOpensTheOverlay) {
  CaptureTarget target(L"--hold-f4");
  ASSERT_TRUE(waitUntil([&] { return e2e::textOf(target.window()) == L"CaptureTarget F4 held"; }));
  auto scenario = useOcrStandIn();
  Program program(e2e::runFolder());
  storeKeysOfStandIn(program, scenario);
  HWND form = openAnswerForm(program);
  ASSERT_NE(form, nullptr);
  e2e::click(button(form, L"截屏取词"));
  e2e::click(startButton(form));
  ASSERT_TRUE(showsCaption(form, L"截图(Alt+A)"));
  RECT pattern = target.paintedArea();
  ASSERT_TRUE(moveMouse(pattern.left + 10, pattern.top + 10));
  ASSERT_TRUE(e2e::pressKeys("alt+a"));
  ASSERT_NE(waitForOverlay(program, form), nullptr);
  ASSERT_TRUE(e2e::pressKeys("Escape"));
  EXPECT_TRUE(waitUntil([&] { return overlay(program) == nullptr; }, 10000));
}

TEST(Capture, F4SendsTheSelectionToTheOcrServiceAndSearchesItsText) {
  ASSERT_NE(testsupport::TestServer::current(), nullptr) << "run under the test server";
  RECT cut{300, 200, 620, 290};
  auto scenario = useOcrStandIn({"日本的", "首都"}, cut.right - cut.left, cut.bottom - cut.top);
  Program program(e2e::runFolder());
  storeKeysOfStandIn(program, scenario);
  HWND form = openAnswerForm(program);
  ASSERT_NE(form, nullptr);
  HWND keyword = keywordBox(form);

  e2e::click(button(form, L"截屏取词"));
  e2e::click(startButton(form));
  ASSERT_TRUE(showsCaption(form, L"截图(F4)"));
  ASSERT_TRUE(moveMouse(cut.left - 40, cut.top - 40));
  ASSERT_TRUE(e2e::pressKeys("F4"));
  ASSERT_NE(waitForOverlay(program, form), nullptr);
  ASSERT_TRUE(dragMouse(cut.left, cut.top, cut.right, cut.bottom));

  // The stand-in refuses a JPEG of another size; its lines come back joined with nothing.
  EXPECT_TRUE(waitUntil([&] { return e2e::textOf(keyword) == L"日本的首都"; }, 15000))
      << "keyword box: " << e2e::textOf(keyword).size() << " characters";
  HWND status = e2e::childrenOfClass(form, L"msctls_statusbar32").at(0);
  EXPECT_TRUE(waitUntil([&] { return e2e::statusText(status, 1) == L"【当前结果/总结果数】：1/1"; },
                        10000));
  EXPECT_TRUE(e2e::topLevelWindows(program.id(), L"百度在线文字识别OCR").empty())
      << "the settings form opened although a token came";
}

TEST(Capture, ScreenshotModeWithoutKeysOpensTheOcrSettingsForm) {
  ASSERT_NE(testsupport::TestServer::current(), nullptr) << "run under the test server";
  useOcrStandIn();
  Program program(e2e::runFolder());
  HWND form = openAnswerForm(program);
  ASSERT_NE(form, nullptr);
  e2e::click(button(form, L"截屏取词"));
  e2e::click(startButton(form));
  EXPECT_TRUE(waitUntil(
      [&] { return !e2e::topLevelWindows(program.id(), L"百度在线文字识别OCR").empty(); }, 10000));
  // The hotkey is registered all the same.
  EXPECT_TRUE(showsCaption(form, L"截图(F4)"));
}

}  // namespace
