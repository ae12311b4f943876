// Quorvix.exe under Wine watching a screen area: the area is marked once in the overlay, then
// another program shows one question after another there and the answer form shows each
// answer without any input, read by the program's own engine. An unchanged area is not read
// again, and nothing is read once 开始 stops the watch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "answer_forms.h"
#include "capture_driver.h"
#include "x_keyboard.h"

namespace {

using e2e::button;
using e2e::CaptureTarget;
using e2e::dragMouse;
using e2e::moveMouse;
using e2e::Program;
using e2e::waitUntil;

// What the capture target shows after the first question, in turn, and the answers' start.
const std::wstring kFirstAnswer = L"青海、西藏";
const std::wstring kNextAnswers[] = {L"H2O", L"巴黎", L"北京"};
constexpr DWORD kAnswerWithinMs = 1500;

using e2e::utf8;

int recognitions(const Program& program) {
  std::ifstream file(program.folder() / L"recognitions.txt");
  return int(std::count(std::istreambuf_iterator<char>(file), {}, '\n'));
}

bool answerStartsWith(const e2e::AnswerFormParts& form, const std::wstring& start) {
  return e2e::textOf(form.answer).rfind(start, 0) == 0;
}

TEST(RegionWatch, EachNewQuestionIsAnsweredWithoutInputAndAStillAreaIsNotReadAgain) {
  CaptureTarget target(L"--questions");
  ASSERT_NE(target.window(), nullptr);
  SetEnvironmentVariableW(L"QUORVIX_COUNT_RECOGNITIONS", L"1");
  const auto models = e2e::fromBuildPath(QUORVIX_EXE).parent_path() / L"ocr";
  Program program(e2e::runFolder(), {}, {models});
  HWND chooser = e2e::chooserWithBanks(program, {e2e::kFullBank});
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(
      waitUntil([&] { return e2e::selectComboItem(e2e::chooserCombo(chooser), e2e::kFullBank); }));
  e2e::click(button(chooser, L"开 始 考 试"));
  HWND answer = e2e::waitForMainForm(program, e2e::kAnswerFormSize);
  ASSERT_NE(answer, nullptr);
  e2e::AnswerFormParts form(answer);
  ASSERT_NE(form.answer, nullptr);
  // Out of the watched area: the form's own changes are not the quiz's.
  SetWindowPos(answer, nullptr, e2e::kScreenW - 400, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  e2e::click(button(answer, L"区域监视"));
  e2e::click(button(answer, L"开 始"));
  ASSERT_NE(e2e::waitForOverlayInput(program), nullptr);
  const RECT area = target.paintedArea();
  ASSERT_TRUE(dragMouse(area.left + 50, area.top + 45, area.left + 510, area.top + 135));
  ASSERT_TRUE(waitUntil([&] { return button(answer, L"区域监视中") != nullptr; }, 10000));
  // The first question is read once the engine has loaded.
  ASSERT_TRUE(waitUntil([&] { return answerStartsWith(form, kFirstAnswer); }, 60000))
      << "keyword: " << utf8(e2e::textOf(form.keyword));

  DWORD slowest = 0;
  for (const std::wstring& expected : kNextAnswers) {
    PostMessageW(target.window(), WM_APP + 1, 0, 0);
    const DWORD changed = GetTickCount();
    ASSERT_TRUE(waitUntil([&] { return answerStartsWith(form, expected); }, 15000))
        << "keyword: " << utf8(e2e::textOf(form.keyword));
    const DWORD took = GetTickCount() - changed;
    slowest = std::max(slowest, took);
    std::printf("question change to answer: %lu ms\n", static_cast<unsigned long>(took));
    EXPECT_LE(took, kAnswerWithinMs);
  }
  std::printf("slowest: %lu ms\n", static_cast<unsigned long>(slowest));

  const int readSoFar = recognitions(program);
  std::printf("recognitions for %d questions: %d\n", 1 + int(std::size(kNextAnswers)), readSoFar);
  EXPECT_LE(readSoFar, 1 + 2 * int(std::size(kNextAnswers))) << "read while settling";
  Sleep(2000);
  EXPECT_EQ(recognitions(program), readSoFar) << "an unchanged area was read again";

  e2e::click(button(answer, L"区域监视中"));
  ASSERT_TRUE(waitUntil([&] { return button(answer, L"开 始") != nullptr; }, 10000));
  const std::wstring shown = e2e::textOf(form.answer);
  PostMessageW(target.window(), WM_APP + 1, 0, 0);
  Sleep(2000);
  EXPECT_EQ(recognitions(program), readSoFar) << "read after the watch stopped";
  EXPECT_EQ(e2e::textOf(form.answer), shown);
  e2e::keepScreenshot(answer, "region-watch-stopped");
}

}  // namespace
