// Builds small .xls files record by record, for tests that need exact control of the bytes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xls_test {

std::string u16le(std::uint32_t value);
std::string u32le(std::uint32_t value);
std::string f64le(double value);
std::string record(std::uint16_t id, std::string_view body);

// Character count (16-bit, or 8-bit when `shortCount`), option byte, characters.
std::string compressedString(std::string_view latin1, bool shortCount = false);
std::string wideString(std::u16string_view text, bool shortCount = false);

// Cell record bodies start with row, column and cell style.
std::string cellHeader(std::uint16_t row, std::uint16_t col, std::uint16_t xf = 0);

// One worksheet of a workbook stream: its name, its records and its sheet type.
struct SheetStream {
  std::u16string name;
  std::string records;    // between the sheet's BOF and EOF
  std::uint8_t type = 0;  // BOUNDSHEET sheet type
};

// A BIFF8 workbook stream: globals BOF, `globals`, one BOUNDSHEET per sheet, EOF, then the
// sheets. `version` is the BOF version (0x0600 for BIFF8).
std::string workbookStream(const std::string& globals, const std::vector<SheetStream>& sheets,
                           std::uint16_t version = 0x0600);

// The usual globals: one font and one cell style, so that cells have something to point to.
std::string minimalGlobals();

// A version 3 compound file (512-byte sectors) holding the streams below its root. Streams
// under 4096 bytes go into the mini stream. Layout: allocation sectors first, then the
// directory, the mini allocation table, the mini stream and the other streams.
std::string compoundFile(const std::vector<std::pair<std::u16string, std::string>>& streams);

// Offset in a file from compoundFile() of the allocation entry of sector `id` (below 128).
inline std::size_t fatEntryOffset(std::uint32_t id) { return 512 + 4 * id; }

void patchU32(std::string& bytes, std::size_t offset, std::uint32_t value);

}  // namespace xls_test
