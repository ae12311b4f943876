#include "net/setting_scramble.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace std::string_view_literals;

namespace net {
namespace {

struct GoldenValue {
  std::string_view value;
  std::string_view key;
  std::string_view stored;
};

// Computed by tests/net/scramble_golden.py, which shares no code with this program.
constexpr GoldenValue kGolden[] = {
    {""sv, "Z9Y8X7"sv, "EA479F960"},
    {"abc"sv, "Z9Y8X7"sv, "909392EA479F960"},
    {"AbCdEfGh1234567890abcdef"sv, "Z9Y8X7"sv,
     "B093B295B497B699C0C3C2C5C4C7C6C9C8C1909392959497EA479F960"},
    {"\xB0\xD9\xB6\xC8\xCA\xB6\xB1\xF0"sv, "Z9Y8X7"sv, "412847393B474001EA479F960"},
    {"\x00\x7F\x80\xF1\xFF"sv, "Z9Y8X7"sv, "F18E71000EEA479F960"},
    {"abc"sv, "another key"sv, "909392FA5C6F401"},
};

TEST(ScrambleSetting, MatchesTheIndependentlyComputedValues) {
  for (const GoldenValue& golden : kGolden) {
    SCOPED_TRACE(golden.stored);
    EXPECT_EQ(ScrambleSetting(golden.value, golden.key), golden.stored);
    EXPECT_EQ(UnscrambleSetting(golden.stored, golden.key), golden.value);
  }
}

TEST(ScrambleSetting, RoundTripsWithTheSettingsKey) {
  for (std::string_view value : {"x"sv, "0123456789abcdefghijklmnopqrstuv"sv, "\xD5\x5C\x81\x5C"sv})
    EXPECT_EQ(UnscrambleSetting(ScrambleSetting(value, kSettingsScrambleKey), kSettingsScrambleKey),
              value);
}

TEST(UnscrambleSetting, ReadsAValueFromAnotherKeyAsEmpty) {
  const std::string stored = ScrambleSetting("secret", "another key");
  EXPECT_EQ(UnscrambleSetting(stored, kSettingsScrambleKey), "");
}

TEST(UnscrambleSetting, ReadsHandEditedOrDamagedValuesAsEmpty) {
  const std::string stored = ScrambleSetting("secret", kSettingsScrambleKey);
  EXPECT_EQ(UnscrambleSetting("909392ea479f960", kSettingsScrambleKey), "");  // check lower-cased
  EXPECT_EQ(UnscrambleSetting(stored + "0", kSettingsScrambleKey), "");
  EXPECT_EQ(UnscrambleSetting(stored.substr(0, stored.size() - 1), kSettingsScrambleKey), "");
  EXPECT_EQ(UnscrambleSetting("", kSettingsScrambleKey), "");
  EXPECT_EQ(UnscrambleSetting("EA479F96", kSettingsScrambleKey), "");  // shorter than the check
}

TEST(UnscrambleSetting, EditedHexBeforeTheCheckStillDecodes) {
  // Only the check guards the value: the body is read pair by pair as it stands.
  EXPECT_EQ(UnscrambleSetting("9093ZZEA479F960", kSettingsScrambleKey), "ab");
}

}  // namespace
}  // namespace net
