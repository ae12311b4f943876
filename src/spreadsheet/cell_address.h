// A1-style cell addresses ("B3", "$B$3", upper or lower case letters), as sheets write them and
// as the C API takes them, in 8-bit or UTF-16 text.
#pragma once
#include <cstdint>
#include <string_view>

namespace xl {

inline constexpr std::uint32_t kMaxRows = 1048576;
inline constexpr std::uint32_t kMaxCols = 16384;

struct CellAddress {
  std::uint32_t row = 0;  // 0-based
  std::uint32_t col = 0;
  bool rowAbsolute = false;  // "$" before the row number
  bool colAbsolute = false;  // "$" before the column letters
};

// Column letters ("AB" -> 26, 0-based); false when malformed or beyond the grid.
template <class Char>
bool parseColumnLetters(std::basic_string_view<Char> text, std::uint32_t& col) {
  if (text.empty() || text.size() > 3) return false;
  std::uint32_t value = 0;
  for (Char c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<Char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') return false;
    value = value * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
  }
  if (value > kMaxCols) return false;
  col = value - 1;
  return true;
}

// A whole address; "$" markers only when `allowAbsolute`. False when malformed or beyond the grid.
template <class Char>
bool parseCellAddress(std::basic_string_view<Char> text, CellAddress& out, bool allowAbsolute) {
  std::size_t at = 0;
  auto dollar = [&] {
    if (!allowAbsolute || at >= text.size() || text[at] != '$') return false;
    ++at;
    return true;
  };
  out.colAbsolute = dollar();
  const std::size_t lettersFrom = at;
  while (at < text.size() &&
         ((text[at] >= 'A' && text[at] <= 'Z') || (text[at] >= 'a' && text[at] <= 'z')))
    ++at;
  if (!parseColumnLetters(text.substr(lettersFrom, at - lettersFrom), out.col)) return false;
  out.rowAbsolute = dollar();
  const auto digits = text.substr(at);
  if (digits.empty() || digits.size() > 7) return false;
  std::uint32_t value = 0;
  for (Char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value == 0 || value > kMaxRows) return false;
  out.row = value - 1;
  return true;
}

}  // namespace xl
