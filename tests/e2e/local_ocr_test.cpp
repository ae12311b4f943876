// Quorvix.exe under Wine reading a screenshot with its own engine: no settings file, nothing
// but loopback to reach (run by loopback_only.sh), the models in ocr\ beside the program in a
// folder with a Chinese name; F4, a drag over a question another program shows, and that
// question's answer on the answer form. Then twenty drags in a row, the answer form answering
// throughout and the program's memory within bounds; the times are printed for the record.
// clang-format off
#include <windows.h>
#include <psapi.h>  // needs the types windows.h defines
// clang-format on
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "answer_forms.h"
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

const std::wstring kQuestion = L"长江流经哪些省份？";  // as the capture target draws it

using e2e::utf8;

// The answer form in screenshot mode, with the question bank chosen; null form on failure.
HWND startScreenshotMode(Program& program) {
  HWND chooser = e2e::chooserWithBanks(program, {e2e::kFullBank});
  if (!chooser ||
      !waitUntil([&] { return e2e::selectComboItem(e2e::chooserCombo(chooser), e2e::kFullBank); }))
    return nullptr;
  e2e::click(button(chooser, L"开 始 考 试"));
  HWND answer = e2e::waitForMainForm(program, e2e::kAnswerFormSize);
  if (!answer) return nullptr;
  e2e::click(button(answer, L"截屏取词"));
  e2e::click(button(answer, L"开 始"));
  if (!waitUntil([&] { return button(answer, L"截图(F4)") != nullptr; }, 10000)) return nullptr;
  return answer;
}

// F4 and a drag over the question the target shows, as a user makes them.
bool dragOverQuestion(const Program& program, const CaptureTarget& target) {
  const RECT area = target.paintedArea();
  return moveMouse(area.left + 10, area.top + 10) &&  // keys go where the pointer is
         e2e::pressKeys("F4") && e2e::waitForOverlayInput(program) != nullptr &&
         dragMouse(area.left + 50, area.top + 45, area.left + 510, area.top + 135);
}

std::size_t peakWorkingSet(DWORD process) {
  HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process);
  if (!handle) return 0;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  const bool known = GetProcessMemoryInfo(handle, &memory, sizeof memory);
  CloseHandle(handle);
  return known ? memory.PeakWorkingSetSize : 0;
}

TEST(LocalOcr, AQuestionOnTheScreenIsReadByTheProgramsOwnEngineAndAnswered) {
  CaptureTarget target(L"--question");
  ASSERT_NE(target.window(), nullptr);
  const auto models = e2e::fromBuildPath(QUORVIX_EXE).parent_path() / L"ocr";
  Program program(e2e::runFolder() / L"答题助手", {}, {models});
  ASSERT_FALSE(std::filesystem::exists(program.folder() / L"配置.ini"));
  HWND chooser = e2e::chooserWithBanks(program, {e2e::kFullBank});
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(
      waitUntil([&] { return e2e::selectComboItem(e2e::chooserCombo(chooser), e2e::kFullBank); }));
  e2e::click(button(chooser, L"开 始 考 试"));
  HWND answer = e2e::waitForMainForm(program, e2e::kAnswerFormSize);
  ASSERT_NE(answer, nullptr);
  e2e::AnswerFormParts form(answer);
  ASSERT_NE(form.keyword, nullptr);

  e2e::click(button(answer, L"截屏取词"));
  e2e::click(button(answer, L"开 始"));
  ASSERT_TRUE(waitUntil([&] { return button(answer, L"截图(F4)") != nullptr; }, 10000));

  const RECT area = target.paintedArea();
  const RECT cut{area.left + 50, area.top + 45, area.left + 510, area.top + 135};
  ASSERT_TRUE(moveMouse(area.left + 10, area.top + 10));  // keys go where the pointer is
  ASSERT_TRUE(e2e::pressKeys("F4"));
  ASSERT_NE(e2e::waitForOverlayInput(program), nullptr);
  ASSERT_TRUE(dragMouse(cut.left, cut.top, cut.right, cut.bottom));
  const DWORD dragEnded = GetTickCount();

  std::wstring notice;
  ASSERT_TRUE(waitUntil(
      [&] {
        if (HWND box = e2e::messageBox(program.id(), L"友情提醒"))
          notice = e2e::messageBoxText(box);
        return !e2e::textOf(form.keyword).empty();
      },
      60000))
      << "nothing recognised; notice: " << utf8(notice);
  std::printf("recognised: %s\n", utf8(e2e::textOf(form.keyword)).c_str());
  EXPECT_TRUE(waitUntil([&] { return e2e::textOf(form.question) == kQuestion; }, 15000))
      << "question shown: " << utf8(e2e::textOf(form.question));
  // A figure for the record, not a limit: the engine was loaded when the mode started.
  std::printf("drag end to answer: %lu ms\n",
              static_cast<unsigned long>(GetTickCount() - dragEnded));
  EXPECT_EQ(e2e::textOf(form.answer).substr(0, 5), L"青海、西藏");
  EXPECT_TRUE(e2e::topLevelWindows(program.id(), L"百度在线文字识别OCR").empty())
      << "the settings form opened although the engine is there";
  EXPECT_EQ(e2e::messageBox(program.id(), L"友情提醒"), nullptr) << "a notice showed";
  e2e::keepScreenshot(answer, "local-ocr-answered");
}

TEST(LocalOcr, DragAfterDragIsAnsweredWhileTheFormKeepsAnswering) {
  using Clock = std::chrono::steady_clock;
  constexpr int kDrags = 20;
  // The answer form must take a message within this while a selection is read.
  constexpr double kLongestWaitMs = 200;
  constexpr std::size_t kMostMemory = 400u << 20;

  CaptureTarget target(L"--question");
  ASSERT_NE(target.window(), nullptr);
  const auto models = e2e::fromBuildPath(QUORVIX_EXE).parent_path() / L"ocr";
  Program program(e2e::runFolder() / L"答题助手", {}, {models});
  HWND answer = startScreenshotMode(program);
  ASSERT_NE(answer, nullptr);
  e2e::AnswerFormParts form(answer);
  ASSERT_NE(form.keyword, nullptr);

  std::vector<double> answerMs;
  double longestWaitMs = 0;
  for (int drag = 0; drag < kDrags; ++drag) {
    e2e::setText(form.keyword, L"");
    e2e::setText(form.question, L"");
    ASSERT_TRUE(dragOverQuestion(program, target)) << "drag " << drag;
    const auto dragEnded = Clock::now();
    // Until the answer shows, the form is asked again and again how soon it takes a message.
    bool answered = false;
    while (!answered && Clock::now() - dragEnded < std::chrono::seconds(60)) {
      const auto asked = Clock::now();
      DWORD_PTR ignored = 0;
      const bool took = SendMessageTimeoutW(answer, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
      const double waitMs = std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
      ASSERT_TRUE(took) << "the answer form took no message in 5 s, drag " << drag;
      longestWaitMs = std::max(longestWaitMs, waitMs);
      answered = e2e::textOf(form.question) == kQuestion;
      if (!answered) Sleep(10);
    }
    ASSERT_TRUE(answered) << "drag " << drag << " shows: " << utf8(e2e::textOf(form.question));
    answerMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - dragEnded).count());
  }
  std::sort(answerMs.begin(), answerMs.end());
  const std::size_t peak = peakWorkingSet(program.id());
  std::printf(
      "%d drags, drag end to answer: median %.0f ms, slowest %.0f ms; the answer form "
      "took a message within %.0f ms at worst; peak working set %zu MiB\n",
      kDrags, answerMs[answerMs.size() / 2], answerMs.back(), longestWaitMs, peak >> 20);
  EXPECT_LT(longestWaitMs, kLongestWaitMs);
  EXPECT_GT(peak, 0u);
  EXPECT_LT(peak, kMostMemory);
}

}  // namespace
