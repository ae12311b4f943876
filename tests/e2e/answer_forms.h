// What the end-to-end tests of the answer form share: the banks put beside the program, the way
// from the disclaimer through the chooser, and the answer form's parts found by kind and place.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "main_forms.h"

namespace e2e {

inline const std::wstring kFullBank = L"常识题库.edb";
inline const std::wstring kEmptyBank = L"空题库.edb";
inline constexpr SIZE kChooserSize{590, 240};
inline constexpr SIZE kAnswerFormSize{348, 650};

inline std::wstring position(int current, int total) {
  return L"【当前结果/总结果数】：" + std::to_wstring(current) + L"/" + std::to_wstring(total);
}

// Agrees to the disclaimer with the banks in the bank folder (the full and the empty one
// unless others are named); the chooser it leads to.
inline HWND chooserWithBanks(const Program& program,
                             const std::vector<std::wstring>& names = {kFullBank, kEmptyBank}) {
  HWND disclaimer = waitForMainForm(program, {540, 207});
  if (!disclaimer) return nullptr;
  auto folder = program.folder() / L"题库";
  std::filesystem::create_directories(folder);
  auto banks = e2e::fromBuildPath(QUORVIX_E2E_BANKS);
  for (const auto& name : names) {
    std::filesystem::copy_file(banks / name, folder / name);
  }
  e2e::click(button(disclaimer, L"同    意"));
  HWND chooser = waitForMainForm(program, kChooserSize);
  if (!chooser) return nullptr;
  HWND combo = e2e::childrenOfClass(chooser, L"ComboBox").at(0);
  waitUntil([&] { return e2e::comboItems(combo).size() == names.size(); });
  return chooser;
}

inline HWND chooserCombo(HWND chooser) { return e2e::childrenOfClass(chooser, L"ComboBox").at(0); }

inline HWND waitForMessageBox(const Program& program, const std::wstring& caption = {}) {
  HWND box = nullptr;
  waitUntil([&] { return (box = e2e::messageBox(program.id(), caption)) != nullptr; });
  return box;
}

inline bool gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

// The answer form's parts this test reads and works, found by kind and place.
struct AnswerFormParts {
  explicit AnswerFormParts(HWND form) : window(form) {
    auto edits = editsTopToBottom(form);
    if (edits.size() == 3) {
      keyword = edits[0];
      question = edits[1];
      answer = edits[2];
    }
    auto bars = e2e::childrenOfClass(form, L"msctls_statusbar32");
    if (bars.size() == 1) status = bars[0];
  }
  std::wstring statusText() const { return e2e::statusText(status, 1); }
  // The count line above the keyword: the bank's size, and the shown question's record number.
  bool showsCountLine(const std::wstring& text) const {
    return waitUntil([&] { return e2e::childWithText(window, text, L"Static") != nullptr; }, 10000);
  }
  bool waitForStatus(const std::wstring& text) const {
    return waitUntil([&] { return statusText() == text; }, 10000);
  }
  void search(const std::wstring& text) const {
    e2e::setText(keyword, text);
    e2e::pressEnter(keyword);
  }

  HWND window;
  HWND keyword = nullptr;
  HWND question = nullptr;
  HWND answer = nullptr;
  HWND status = nullptr;
};

// From the start to the answer form over the full bank; null when a step does not come.
inline HWND answerFormOverTheFullBank(const Program& program) {
  HWND chooser = chooserWithBanks(program);
  if (!chooser || !selectComboItem(chooserCombo(chooser), kFullBank)) return nullptr;
  click(button(chooser, L"开 始 考 试"));
  return waitForMainForm(program, kAnswerFormSize);
}

}  // namespace e2e
