// Quorvix.exe under Wine recognising through the local recognition service (the native
// quorvix-ocr-service, started around this test by with_ocr_service.py): the service address
// and two keys typed into the OCR settings form and stored by its key test, then F4, a drag over
// a question another program shows, the recognised text in the keyword box and that question's
// answer on the answer form.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "answer_forms.h"
#include "capture/ocr_settings.h"
#include "capture_driver.h"
#include "x_keyboard.h"

namespace {

using e2e::button;
using e2e::CaptureTarget;
using e2e::dragMouse;
using e2e::moveMouse;
using e2e::overlay;
using e2e::Program;
using e2e::waitUntil;

const std::wstring kSettingsTitle = L"百度在线文字识别OCR";
const std::wstring kQuestion = L"长江流经哪些省份？";  // as the capture target draws it

using e2e::utf8;

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
  auto boxes = e2e::editsTopToBottom(form);
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

  CaptureTarget target(L"--question");
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
  const RECT area = target.paintedArea();
  const RECT cut{area.left + 50, area.top + 45, area.left + 510, area.top + 135};
  ASSERT_TRUE(moveMouse(area.left + 10, area.top + 10));  // keys go where the pointer is
  ASSERT_TRUE(e2e::pressKeys("F4"));
  ASSERT_NE(e2e::waitForOverlayInput(program), nullptr);
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
