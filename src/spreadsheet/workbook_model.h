// The in-memory workbook both readers (.xls and .xlsx) fill and the C interface serves.
// Texts are UTF-16. Rows and columns are 0-based.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace xlmodel {

// Same numbering as the C interface's cell types.
enum class CellType : std::uint8_t { Empty = 0, Number = 1, String = 2, Boolean = 3, Blank = 4, Error = 5 };

struct Cell {
  std::uint32_t row = 0;
  std::uint32_t col = 0;
  CellType type = CellType::Empty;
  bool isFormula = false;
  std::uint32_t xf = 0;        // index into Workbook::xfs (0 when the file gives none)
  double number = 0;           // Number; Boolean as 0/1; Error as its BIFF code (0x07 = #DIV/0!)
  std::uint32_t text = 0;      // String: index into Workbook::strings
};

struct Font {
  std::u16string name;
  double size = 11;  // points
  bool bold = false;
  bool italic = false;
  std::uint32_t color = 0;  // 0xRRGGBB
};

struct Xf {
  std::uint32_t numFmtId = 0;  // built-in id (< 164 in .xlsx, as stored in .xls) or custom id
  std::uint32_t font = 0;      // index into Workbook::fonts
};

struct Sheet {
  std::u16string name;
  std::vector<Cell> cells;  // sorted by (row, col), at most one per position
  std::vector<std::uint32_t> mergedRanges;  // firstRow, lastRow, firstCol, lastCol, repeated
};

struct Workbook {
  bool date1904 = false;
  std::vector<std::u16string> strings;               // cell texts, shared and inline alike
  std::map<std::uint32_t, std::u16string> numFormats;  // custom format id -> format code
  std::vector<Xf> xfs;
  std::vector<Font> fonts;
  std::vector<Sheet> sheets;
  std::uint32_t activeSheet = 0;
};

}  // namespace xlmodel
