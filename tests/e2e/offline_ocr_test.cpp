// Quorvix.exe under Wine recognising through the local recognition service (the native
// quorvix-ocr-service, started around this test by with_ocr_service.py): the service address
// and two keys typed into the OCR settings form and stored by its key test, then F4, a drag over
// a question another program shows, the recognised text in the keyword box and that question's
// answer on the answer form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "answer_forms.h"
#include "capture/ocr_settings.h"
#include "x_keyboard.h"

namespace {

using e2e::button;
using e2e::Program;
using e2e::runXdotool;
using e2e::waitUntil;

constexpr int kScreenW = 1920, kScreenH = 1080;
const std::wstring kSettingsTitle = L"百度在线文字识别OCR";
const std::wstring kQuestion = L"长江流经哪些省份？";  // as the capture target draws it

// The capture target showing the question, ended with the test.
class QuestionWindow {
 public:
  QuestionWindow() {
    std::wstring line =
        L"\"" + e2e::fromBuildPath(QUORVIX_CAPTURE_TARGET).wstring() + L"\" --question";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &process_);
    waitUntil([&] { return (window_ = FindWindowW(L"QuorvixCaptureTarget", nullptr)) != nullptr; });
  }
  ~QuestionWindow() {
    if (!process_.hProcess) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  HWND window() const { return window_; }
  // The white area the question is drawn in the middle of, on the screen.
  RECT questionArea() const {
    POINT origin{20, 100};
    ClientToScreen(window_, &origin);
    return {origin.x, origin.y, origin.x + 560, origin.y + 180};
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

std::string utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(),
                              int(out.size()), nullptr, nullptr);
  out.resize(std::size_t(n > 0 ? n : 0));
  return out;
}

std::string at(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

bool moveMouse(int x, int y) { return runXdotool("mousemove --sync " + at(x, y)); }

// A left-button drag as a person makes it: press, move on in steps, release.
bool dragMouse(int x0, int y0, int x1, int y1) {
  std::string steps = "mousemove --sync " + at(x0, y0) + " mousedown 1";
  for (int i = 1; i <= 4; ++i)
    steps += " sleep 0.05 mousemove --sync " + at(x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4);
  return runXdotool(steps + " sleep 0.05 mouseup 1");
}

HWND overlay(const Program& program) {
  for (HWND w : e2e::topLevelWindows(program.id())) {
    SIZE size = e2e::sizeOf(w);
    if (size.cx == kScreenW && size.cy == kScreenH) return w;
  }
  return nullptr;
}

std::vector<HWND> editsTopDown(HWND form) {
  auto edits = e2e::childrenOfClass(form, L"Edit");
  std::sort(edits.begin(), edits.end(), [](HWND a, HWND b) {
    RECT ra{}, rb{};
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top < rb.top;
  });
  return edits;
}

// Opens the settings form from 设置, types the keys and the address, presses 秘 钥 测 试 and
// gives the notice that answered; the form is closed again.
std::wstring storeServiceThroughTheSettingsForm(const Program& program, HWND answer,
                                                const std::wstring& address) {
  e2e::click(button(answer, L"设置"));
  HWND form = nullptr;
  waitUntil([&] {
    auto found = e2e::topLevelWindows(program.id(), kSettingsTitle);
    form = found.empty() ? nullptr : found[0];
    return form != nullptr;
  });
  if (!form) return L"no settings form";
  auto boxes = editsTopDown(form);
  if (boxes.size() != 3) return L"the settings form has no address box";
  e2e::setText(boxes[0], L"offline-api");
  e2e::setText(boxes[1], L"offline-secret");
  e2e::setText(boxes[2], address);
  e2e::keepScreenshot(form, "offline-ocr-1-settings");
  e2e::click(button(form, L"秘 钥 测 试"));
  std::wstring text;
  waitUntil([&] {
    HWND notice = e2e::messageBox(program.id(), L"友情提醒");
    if (notice) text = e2e::messageBoxText(notice);
    return !text.empty();
  });
  PostMessageW(form, WM_CLOSE, 0, 0);
  waitUntil([&] { return e2e::gone(form); }, 10000);
  return text;
}

TEST(OfflineOcr, AQuestionOnTheScreenIsRecognisedByTheLocalServiceAndAnswered) {
  const char* service = std::getenv("QUORVIX_OFFLINE_OCR_URL");
  if (!service || !*service) GTEST_SKIP() << "run under with_ocr_service.py";
  const std::wstring address(service, service + std::strlen(service));  // ASCII
  SetEnvironmentVariableA("QUORVIX_OCR_URL", nullptr);  // the stored address, as for a user

  QuestionWindow target;
  ASSERT_NE(target.window(), nullptr);
  Program program(e2e::runFolder());
  HWND chooser = e2e::chooserWithBanks(program, {e2e::kFullBank});
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(
      waitUntil([&] { return e2e::selectComboItem(e2e::chooserCombo(chooser), e2e::kFullBank); }));
  e2e::click(button(chooser, L"开 始 考 试"));
  HWND answer = e2e::waitForMainForm(program, e2e::kAnswerFormSize);
  ASSERT_NE(answer, nullptr);
  e2e::AnswerFormParts form(answer);
  ASSERT_NE(form.keyword, nullptr);

  EXPECT_EQ(storeServiceThroughTheSettingsForm(program, answer, address), L"秘钥正确");
  EXPECT_EQ(capture::LoadOcrServiceAddress(program.folder()), std::string(service));

  e2e::click(button(answer, L"截屏取词"));
  e2e::click(button(answer, L"开 始"));
  ASSERT_TRUE(waitUntil([&] { return button(answer, L"截图(F4)") != nullptr; }, 10000));
  EXPECT_TRUE(e2e::topLevelWindows(program.id(), kSettingsTitle).empty())
      << "no token came from the stored service address";

  // The question with a margin, as a user's selection takes it.
  const RECT area = target.questionArea();
  const RECT cut{area.left + 50, area.top + 45, area.left + 510, area.top + 135};
  ASSERT_TRUE(moveMouse(area.left + 10, area.top + 10));  // keys go where the pointer is
  ASSERT_TRUE(e2e::pressKeys("F4"));
  ASSERT_TRUE(waitUntil(
      [&] {
        HWND shown = overlay(program);
        return shown && GetForegroundWindow() == shown;
      },
      10000));
  ASSERT_TRUE(dragMouse(cut.left, cut.top, cut.right, cut.bottom));

  ASSERT_TRUE(waitUntil([&] { return !e2e::textOf(form.keyword).empty(); }, 60000))
      << "nothing recognised";
  const std::wstring keyword = e2e::textOf(form.keyword);
  std::printf("recognised: %s\n", utf8(keyword).c_str());
  EXPECT_TRUE(waitUntil([&] { return e2e::textOf(form.question) == kQuestion; }, 15000))
      << "question shown: " << utf8(e2e::textOf(form.question));
  EXPECT_EQ(e2e::textOf(form.answer).substr(0, 5), L"青海、西藏");
  e2e::keepScreenshot(answer, "offline-ocr-2-answered");
}

}  // namespace
