// What the end-to-end tests share about the program's main forms: their title, finding the one
// that is shown, a fresh run folder per test and the screenshots kept of them.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "program.h"
#include "window_driver.h"

namespace e2e {

inline const std::wstring kTitle = L"Quorvix（Nembra专版）——byDalvenor V2.0";

inline std::filesystem::path runFolder() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return fromBuildPath(QUORVIX_E2E_RUNS) / test->name();
}

inline void keepScreenshot(HWND form, const std::string& name) {
  auto file = fromBuildPath(QUORVIX_E2E_SHOTS) / (name + ".png");
  EXPECT_TRUE(saveScreenshot(form, file)) << "screenshot " << name;
}

// The one main form that is shown, once it has the size given and is the only one.
inline HWND waitForMainForm(const Program& program, SIZE size) {
  HWND found = nullptr;
  bool alone = waitUntil([&] {
    auto forms = topLevelWindows(program.id(), kTitle);
    if (forms.size() != 1) return false;
    SIZE shown = sizeOf(forms[0]);
    if (shown.cx != size.cx || shown.cy != size.cy) return false;
    found = forms[0];
    return true;
  });
  return alone ? found : nullptr;
}

inline HWND button(HWND form, const std::wstring& caption) {
  return childWithText(form, caption, L"Button");
}

}  // namespace e2e
