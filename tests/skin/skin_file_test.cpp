// The skin the program carries, damaged skins, and the colour shift.
#include "skin/library/skin_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/embedded.h"

namespace skinlib {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes shippedSkin() {
  std::string_view data = SkinFileData();
  return Bytes(data.begin(), data.end());
}

bool reads(const Bytes& skin, Palette* palette = nullptr, int* unknown = nullptr) {
  Palette ignored;
  return readSkin(skin.data(), std::uint32_t(skin.size()), palette ? *palette : ignored, unknown);
}

Bytes entry(unsigned char kind, const std::string& name, std::uint32_t value) {
  Bytes e;
  e.push_back(kind);
  e.push_back(static_cast<unsigned char>(name.size()));
  for (char c : name) e.push_back(static_cast<unsigned char>(c));
  for (int i = 0; i < 4; ++i) e.push_back(static_cast<unsigned char>(value >> (8 * i)));
  return e;
}

Bytes skinOf(const std::vector<Bytes>& entries) {
  Bytes skin{'.', 'S', 'H', 'E', 1, static_cast<unsigned char>(entries.size()), 0, 0};
  for (const Bytes& e : entries) skin.insert(skin.end(), e.begin(), e.end());
  return skin;
}

TEST(SkinFile, TheProgramsSkinGivesEveryColourAndNothingUnknown) {
  Palette palette;
  int unknown = -1;
  ASSERT_TRUE(reads(shippedSkin(), &palette, &unknown));
  EXPECT_EQ(unknown, 0);
  for (int role = 0; role < kRoleCount; ++role) EXPECT_TRUE(palette.given[role]) << roleName(role);
  // "#DCE6F2" in the source: stored the way the system orders colours, blue highest.
  EXPECT_EQ(palette.colour[kFormBackground], 0xF2E6DCu);
  EXPECT_GT(palette.buttonRadius, 0);
}

TEST(SkinFile, DamagedSkinsAreRefused) {
  Bytes skin = shippedSkin();
  for (std::size_t length = 0; length < skin.size(); ++length) {
    EXPECT_FALSE(reads(Bytes(skin.begin(), skin.begin() + std::ptrdiff_t(length)))) << length;
  }
  Bytes longer = skin;
  longer.push_back(0);
  EXPECT_FALSE(reads(longer)) << "bytes after the last entry";
  Bytes signature = skin;
  signature[1] = 's';
  EXPECT_FALSE(reads(signature));
  Bytes version = skin;
  version[4] = 2;
  EXPECT_FALSE(reads(version));
  EXPECT_FALSE(reads(skinOf({entry(1, "form.text", 0x1000000)}))) << "colour above 0xFFFFFF";
  EXPECT_FALSE(reads(skinOf({entry(3, "form.text", 0)}))) << "unknown kind";
  EXPECT_FALSE(reads(skinOf({entry(1, "form text", 0)}))) << "space in a name";
  EXPECT_FALSE(reads(skinOf({entry(1, "", 0)}))) << "empty name";
  EXPECT_FALSE(reads(skinOf({entry(2, "button.radius", 33)}))) << "radius too large";
  Palette untouched;
  EXPECT_FALSE(readSkin(nullptr, 10, untouched));
}

TEST(SkinFile, UnknownSettingsAreSkippedAndMissingOnesLeftToTheSystem) {
  Palette palette;
  int unknown = 0;
  ASSERT_TRUE(reads(skinOf({entry(1, "form.text", 0x102030), entry(1, "window.glow", 0xFFFFFF),
                            entry(2, "button.bevel", 3)}),
                    &palette, &unknown));
  EXPECT_EQ(unknown, 2);
  EXPECT_TRUE(palette.given[kFormText]);
  EXPECT_EQ(palette.colour[kFormText], 0x302010u);
  EXPECT_FALSE(palette.given[kFormBackground]);
}

// Colours here are 0x00BBGGRR.
constexpr std::uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kCyan = 0xFFFF00;

TEST(ColourShift, HueTurnsTheWheelAndLeavesGreysAlone) {
  EXPECT_EQ(shiftColour(0xF2E6DC, 0, 0, 0), 0xF2E6DCu);
  EXPECT_EQ(shiftColour(kRed, 120, 0, 0), kGreen);
  EXPECT_EQ(shiftColour(kRed, -120, 0, 0), kBlue);
  EXPECT_EQ(shiftColour(kRed, 180, 0, 0), kCyan);
  EXPECT_EQ(shiftColour(0x808080, 90, 0, 0), 0x808080u);
  EXPECT_EQ(shiftColour(kRed, 900, 0, 0), kCyan) << "clamped to 180";
}

TEST(ColourShift, SaturationAndBrightnessMoveTowardsTheirEnds) {
  EXPECT_EQ(shiftColour(0x3060C0, 0, -100, 0), 0xC0C0C0u) << "no saturation: grey, same value";
  EXPECT_EQ(shiftColour(0x3060C0, 0, 0, -100), 0u);
  EXPECT_EQ(shiftColour(0x3060C0, 0, 0, 100) & 0xFF, 0xFFu) << "brightest part at full";
  std::uint32_t vivid = shiftColour(0x8090A0, 0, 100, 0);
  EXPECT_EQ(vivid & 0xFF, 0xA0u) << "value kept in the strongest part, red";
  EXPECT_EQ(vivid >> 16 & 0xFF, 0u) << "the weakest part, blue, gone";
  EXPECT_EQ(shiftColour(0x3060C0, 0, -500, 0), shiftColour(0x3060C0, 0, -100, 0)) << "clamped";
}

}  // namespace
}  // namespace skinlib
