// Quorvix.exe under Wine wears the skin its own library gives it, mapped from the program's
// memory: the colours on screen are the skin's on the disclaimer, the chooser and the answer
// form, and no file is written for it. A copy whose carried library is damaged starts plainly.
// Screenshots of both are kept in the build tree's e2e-screenshots folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "main_forms.h"

namespace {

using e2e::button;
using e2e::Program;
using e2e::waitForMainForm;
using e2e::waitUntil;

constexpr SIZE kDisclaimerSize{540, 207};
constexpr SIZE kChooserSize{590, 240};
constexpr SIZE kAnswerFormSize{348, 650};
const std::wstring kBank = L"常识题库.edb";

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The colours of the skin's readable source, as the system writes them (0x00BBGGRR).
std::map<std::string, COLORREF> skinColours() {
  std::map<std::string, COLORREF> colours;
  std::istringstream source(
      readFile(e2e::fromBuildPath(QUORVIX_SOURCE_DIR "/src/skin/skins/steel.skin")));
  std::string name, value;
  while (source >> name >> value) {
    if (name[0] == '#' || value.size() != 7 || value[0] != '#') {
      source.ignore(1000, '\n');
      continue;
    }
    unsigned long rgb = std::stoul(value.substr(1), nullptr, 16);
    colours[name] = RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
  }
  return colours;
}

COLORREF screenPixel(POINT at) {
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// A point of the form's client area that no control covers, on screen.
POINT bareSpot(HWND form) {
  RECT client{};
  GetClientRect(form, &client);
  for (int y = 2; y < client.bottom; y += 6) {
    for (int x = 2; x < client.right; x += 6) {
      if (ChildWindowFromPointEx(form, {x, y}, CWP_SKIPINVISIBLE) == form) {
        POINT spot{x, y};
        ClientToScreen(form, &spot);
        return spot;
      }
    }
  }
  return {-1, -1};
}

// Inside a button between its edge, its focus frame and its caption, where its face shows.
POINT buttonFace(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  POINT spot{r.right / 4, r.bottom / 4};
  ClientToScreen(control, &spot);
  return spot;
}

bool shows(POINT at, COLORREF colour) {
  return waitUntil([&] { return screenPixel(at) == colour; }, 10000);
}

struct Expected {
  bool skinned;
  COLORREF background;
  COLORREF buttonFace;  // the skin's, shown only when skinned
  std::string shotPrefix;
};

// Goes through the three main forms, checking the colours and keeping a picture of each.
void walkTheForms(const Program& program, const Expected& expected) {
  HWND disclaimer = waitForMainForm(program, kDisclaimerSize);
  ASSERT_NE(disclaimer, nullptr);
  EXPECT_TRUE(shows(bareSpot(disclaimer), expected.background)) << "disclaimer background";
  POINT face = buttonFace(button(disclaimer, L"同    意"));
  if (expected.skinned) {
    EXPECT_TRUE(shows(face, expected.buttonFace)) << "disclaimer button";
  } else {
    EXPECT_NE(screenPixel(face), expected.buttonFace) << "disclaimer button";
  }
  e2e::keepScreenshot(disclaimer, expected.shotPrefix + "-1-disclaimer");

  auto banks = program.folder() / L"题库";
  std::filesystem::create_directories(banks);
  std::filesystem::copy_file(e2e::fromBuildPath(QUORVIX_E2E_BANKS) / kBank, banks / kBank);
  e2e::click(button(disclaimer, L"同    意"));
  HWND chooser = waitForMainForm(program, kChooserSize);
  ASSERT_NE(chooser, nullptr);
  HWND combo = e2e::childrenOfClass(chooser, L"ComboBox").at(0);
  ASSERT_TRUE(waitUntil([&] { return e2e::comboItems(combo).size() == 1; }));
  EXPECT_TRUE(shows(bareSpot(chooser), expected.background)) << "chooser background";
  e2e::keepScreenshot(chooser, expected.shotPrefix + "-2-chooser");

  ASSERT_TRUE(e2e::selectComboItem(combo, kBank));
  e2e::click(button(chooser, L"开 始 考 试"));
  HWND answer = waitForMainForm(program, kAnswerFormSize);
  ASSERT_NE(answer, nullptr);
  EXPECT_TRUE(shows(bareSpot(answer), expected.background)) << "answer form background";
  e2e::keepScreenshot(answer, expected.shotPrefix + "-3-answer");
}

TEST(Skin, EveryMainFormWearsTheSkinMappedFromTheProgramsOwnMemory) {
  auto colours = skinColours();
  ASSERT_TRUE(colours.count("form.background") && colours.count("button.face"));
  Program program(e2e::runFolder());
  ASSERT_TRUE(program.started());
  walkTheForms(program, {true, colours["form.background"], colours["button.face"], "skin"});
  // Nothing was written for the skin: beside the program there is only the bank folder.
  std::vector<std::wstring> besideTheProgram;
  for (const auto& entry : std::filesystem::directory_iterator(program.folder())) {
    besideTheProgram.push_back(entry.path().filename().wstring());
  }
  std::sort(besideTheProgram.begin(), besideTheProgram.end());
  EXPECT_EQ(besideTheProgram, (std::vector<std::wstring>{L"Quorvix.exe", L"题库"}));
}

TEST(Skin, AProgramWhoseSkinLibraryIsDamagedStartsUnskinned) {
  // A copy of the program with the "PE" signature of its carried skin library broken.
  std::string exe = readFile(e2e::fromBuildPath(QUORVIX_EXE));
  std::string library = readFile(e2e::fromBuildPath(QUORVIX_SKIN_DLL));
  ASSERT_GT(library.size(), 0x40u);
  auto at = std::search(exe.begin(), exe.end(), library.begin(), library.end());
  ASSERT_NE(at, exe.end()) << "the skin library is not carried inside the program";
  std::uint32_t ntHeaders = 0;
  std::memcpy(&ntHeaders, library.data() + 0x3C, 4);
  at[std::ptrdiff_t(ntHeaders)] = 'X';
  auto damaged = e2e::fromBuildPath(QUORVIX_E2E_RUNS) / L"damaged-skin-library.exe";
  std::ofstream(damaged, std::ios::binary) << exe;

  Program program(e2e::runFolder(), damaged);
  ASSERT_TRUE(program.started());
  walkTheForms(program,
               {false, GetSysColor(COLOR_BTNFACE), skinColours()["button.face"], "unskinned"});
}

}  // namespace
