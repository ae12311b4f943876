// Quorvix.exe under Wine with the OCR service's stand-in on a local HTTPS server that the test
// prefix trusts: the settings form opened from the answer form's 设置, keys typed with real
// keys, the key test refused and then passed with its self-closing notice, the settings file
// as the program reads it, and 恢 复 默 认 putting the stored keys back over edits.
#include "capture/ocr_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "main_forms.h"
#include "ocr_standin.h"
#include "x_keyboard.h"

namespace {

using e2e::button;
using e2e::Program;
using e2e::waitForMainForm;
using e2e::waitUntil;

const std::wstring kSettingsTitle = L"百度在线文字识别OCR";

bool gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

// Agrees to the disclaimer with a bank in place and opens it: the answer form.
HWND answerForm(const Program& program) {
  HWND disclaimer = waitForMainForm(program, {540, 207});
  if (!disclaimer || !e2e::focusProgramWindow()) return nullptr;
  auto folder = program.folder() / L"题库";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(e2e::fromBuildPath(QUORVIX_E2E_BANKS) / L"常识题库.edb",
                             folder / L"常识题库.edb");
  e2e::click(button(disclaimer, L"同    意"));
  HWND chooser = waitForMainForm(program, {590, 240});
  if (!chooser) return nullptr;
  HWND combo = e2e::childrenOfClass(chooser, L"ComboBox").at(0);
  if (!waitUntil([&] { return e2e::selectComboItem(combo, L"常识题库.edb"); })) return nullptr;
  e2e::click(button(chooser, L"开 始 考 试"));
  return waitForMainForm(program, {348, 650});
}

// Presses 秘 钥 测 试 and reads the notice that answers it before it closes by itself.
std::wstring keyTestNotice(const Program& program, HWND form) {
  e2e::click(button(form, L"秘 钥 测 试"));
  HWND notice = nullptr;
  std::wstring text;
  waitUntil([&] {
    notice = e2e::messageBox(program.id(), L"友情提醒");
    if (notice) text = e2e::messageBoxText(notice);
    return !text.empty();
  });
  EXPECT_TRUE(waitUntil([&] { return !notice || gone(notice); }, 10000))
      << "the notice did not close by itself";
  return text;
}

TEST(OcrSettings, KeysAreTestedAgainstTheServiceStoredAndPutBack) {
  const auto* server = testsupport::TestServer::current();
  ASSERT_NE(server, nullptr) << "run under the test server";
  testsupport::OcrScenario scenario;
  scenario.tag = testsupport::uniqueTag("e2e");
  scenario.apiKey = "e2eApiKey";
  scenario.secretKey = "e2eSecret";
  const std::string url = scenario.baseUrl(*server);
  SetEnvironmentVariableA("QUORVIX_OCR_URL", url.c_str());

  Program program(e2e::runFolder());
  HWND answer = answerForm(program);
  ASSERT_NE(answer, nullptr) << "no answer form";
  e2e::click(button(answer, L"设置"));
  HWND form = nullptr;
  ASSERT_TRUE(waitUntil([&] {
    auto found = e2e::topLevelWindows(program.id(), kSettingsTitle);
    form = found.empty() ? nullptr : found[0];
    return form != nullptr;
  })) << "设置 opened no settings form";
  // From the top: API Key, Secret Key, the service address.
  auto boxes = e2e::editsTopToBottom(form);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(e2e::textOf(boxes[0]), L"") << "no settings file yet";
  EXPECT_EQ(e2e::textOf(boxes[1]), L"");
  EXPECT_EQ(e2e::textOf(boxes[2]), L"");

  // Typed as a person types: the API Key box has the focus first, Tab leads to the other.
  ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == form; }, 5000));
  ASSERT_TRUE(e2e::typeText("wrongApiKey"));
  ASSERT_TRUE(e2e::pressKeys("Tab"));
  ASSERT_TRUE(e2e::typeText(scenario.secretKey));
  ASSERT_TRUE(waitUntil([&] { return e2e::textOf(boxes[1]) == L"e2eSecret"; }, 5000));
  EXPECT_EQ(e2e::textOf(boxes[0]), L"wrongApiKey");
  EXPECT_EQ(keyTestNotice(program, form), L"API Key不正确");
  const auto settingsFile = capture::settingsFilePath(program.folder());
  EXPECT_FALSE(std::filesystem::exists(settingsFile)) << "a refused key was stored";

  e2e::setText(boxes[0], L"e2eApiKey");
  EXPECT_EQ(keyTestNotice(program, form), L"秘钥正确");
  const capture::OcrKeys stored = capture::LoadOcrSettings(program.folder());
  EXPECT_EQ(stored.apiKey, "e2eApiKey");
  EXPECT_EQ(stored.secretKey, "e2eSecret");
  EXPECT_EQ(server->requestsFor(scenario.tag).size(), 2u);
  e2e::keepScreenshot(form, "ocr-1-settings-tested");

  e2e::setText(boxes[0], L"edited");
  e2e::setText(boxes[1], L"");
  e2e::click(button(form, L"恢 复 默 认"));
  EXPECT_TRUE(waitUntil([&] { return e2e::textOf(boxes[0]) == L"e2eApiKey"; }, 5000));
  EXPECT_EQ(e2e::textOf(boxes[1]), L"e2eSecret");
  e2e::keepScreenshot(form, "ocr-2-settings-restored");

  // The form stays beside the answer form, which still works.
  EXPECT_EQ(waitForMainForm(program, {348, 650}), answer);
}

}  // namespace
