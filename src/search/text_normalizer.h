// The form in which the similar-question ranking compares texts: GBK text decoded, full-width
// forms and letter case folded, white space, punctuation and a leading question number dropped,
// and every character that is left paired with its look-alike group.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace search {

// One character of normalised text: its look-alike group in the high half, the folded
// character itself in the low half. Two units are the same character when they are equal and
// look-alikes when only their groups are.
using NormalUnit = std::uint32_t;

constexpr char16_t unitChar(NormalUnit unit) { return static_cast<char16_t>(unit & 0xFFFF); }
constexpr char16_t unitGroup(NormalUnit unit) { return static_cast<char16_t>(unit >> 16); }

// Texts count only up to this many characters after normalising: twice the longest question a
// bank can hold, so a keyword with a whole question and more in it still counts in full.
inline constexpr std::size_t kMaxNormalUnits = 2000;

// The folded form of one character (the UTF-16 unit of its GBK bytes) and its look-alike
// group; group 0 when the character is dropped (white space, punctuation, control characters
// and bytes that decode to nothing).
struct FoldedChar {
  char16_t folded = 0;
  char16_t group = 0;
};
FoldedChar foldChar(std::string_view gbk, std::size_t pos);

// Length in bytes of a leading question number with the blanks around it: "12.", "12、",
// "12)", "(12)", "【12】", "第12题", "三、"; 0 when the text starts otherwise. "1.5" is a
// number, not a question number.
std::size_t questionNumberLength(std::string_view gbk);

// Where options that trail a question begin: the byte position of the option marker "A" ("A.",
// "A、", "A:", "A)", "(A)", upper case, half- or full-width; also "A-", "A。" and "A," as text
// recognition reads "A．") of the last run of markers "A",
// "B", ... that reaches the end of the text, each option at most 80 characters long; npos when
// there is none.
std::size_t trailingOptionsStart(std::string_view gbk);

// Replaces `out` with the normalised form of `gbk`, at most `maxUnits` characters, and returns
// how many bytes of `gbk` that took.
std::size_t normalizeText(std::string_view gbk, std::vector<NormalUnit>& out,
                          std::size_t maxUnits = kMaxNormalUnits);
// The look-alike groups alone of normalizeText's characters, for a quick look at many texts.
std::size_t normalizeGroups(std::string_view gbk, std::vector<char16_t>& out,
                            std::size_t maxUnits = kMaxNormalUnits);

std::vector<NormalUnit> normalizeText(std::string_view gbk, std::size_t maxUnits = kMaxNormalUnits);

}  // namespace search
