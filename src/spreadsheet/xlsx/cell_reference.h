// A1-style cell references as .xlsx sheets write them (upper or lower case letters).
#pragma once
#include <cstdint>
#include <string_view>

namespace xlsx {

// Parses "B3" (or "b3") into 0-based row 2, column 1. False when malformed or beyond the grid.
bool parseCellReference(std::string_view text, std::uint32_t& row, std::uint32_t& col);
// Parses only the column letters ("AB" -> 27); false when malformed or beyond the grid.
bool parseColumnLetters(std::string_view text, std::uint32_t& col);

}  // namespace xlsx
