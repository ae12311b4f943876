// Readers of the individual parts of an .xlsx package into the workbook model.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "spreadsheet/cell_address.h"
#include "spreadsheet/workbook_model.h"
#include "spreadsheet/xlsx/zip_archive.h"

namespace xlsx {

// Excel's own limits; anything beyond them is damage or an attack.
inline constexpr std::size_t kMaxTextLength = 32767;
using xl::kMaxCols;
using xl::kMaxRows;

// What one workbook may hold in memory, whatever its parts claim. The largest real workbook we
// know (50,000 questions) has 200,000 cells and 24 million characters of text; a package that
// unpacks to more than this is a ZIP bomb, not a question bank.
inline constexpr std::size_t kMaxCells = 8u << 20;          // cells and merged ranges
inline constexpr std::uint64_t kMaxTextUnits = 128u << 20;  // UTF-16 units of all texts

// What is left of those limits while the parts are read.
struct Budget {
  std::uint64_t cells = kMaxCells;
  std::uint64_t textUnits = kMaxTextUnits;
};

struct SheetEntry {
  std::u16string name;
  std::string relationshipId;
};

struct WorkbookPart {
  bool date1904 = false;
  std::uint32_t activeTab = 0;
  std::vector<SheetEntry> sheets;
};

bool readWorkbookPart(const ZipArchive& zip, const ZipEntry& entry, WorkbookPart& out,
                      std::string& error);
bool readStylesPart(const ZipArchive& zip, const ZipEntry& entry, xlmodel::Workbook& book,
                    std::string& error);
bool readSharedStringsPart(const ZipArchive& zip, const ZipEntry& entry, xlmodel::Workbook& book,
                           Budget& budget, std::string& error);
// Appends the cells of one worksheet; `sharedCount` is the number of shared strings, which
// occupy the first entries of book.strings.
bool readSheetPart(const ZipArchive& zip, const ZipEntry& entry, std::size_t sharedCount,
                   xlmodel::Workbook& book, xlmodel::Sheet& sheet, Budget& budget,
                   std::string& error);

// Replaces the _xHHHH_ escapes OOXML uses for characters XML cannot carry; _x0000_ is dropped,
// as a NUL cannot travel inside the library's zero-terminated texts.
void decodeEscapedCharacters(std::u16string& text);

}  // namespace xlsx
