#include "spreadsheet/xlsx/cell_reference.h"

#include "spreadsheet/xlsx/parts.h"

namespace xlsx {

bool parseColumnLetters(std::string_view text, std::uint32_t& col) {
  if (text.empty() || text.size() > 3) return false;
  std::uint32_t value = 0;
  for (char c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') return false;
    value = value * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
  }
  if (value > kMaxCols) return false;
  col = value - 1;
  return true;
}

bool parseCellReference(std::string_view text, std::uint32_t& row, std::uint32_t& col) {
  std::size_t letters = 0;
  while (letters < text.size() && ((text[letters] >= 'A' && text[letters] <= 'Z') ||
                                   (text[letters] >= 'a' && text[letters] <= 'z')))
    ++letters;
  if (!parseColumnLetters(text.substr(0, letters), col)) return false;
  std::string_view digits = text.substr(letters);
  if (digits.empty() || digits.size() > 7) return false;
  std::uint32_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value == 0 || value > kMaxRows) return false;
  row = value - 1;
  return true;
}

}  // namespace xlsx
