#include "spreadsheet/xls/worksheet.h"

#include <algorithm>
#include <cstring>

#include "spreadsheet/xls/biff_records.h"
#include "spreadsheet/xls/biff_strings.h"
#include "spreadsheet/xls/little_endian.h"

namespace xls {
namespace {

using xlmodel::Cell;
using xlmodel::CellType;

// An RK value: a 30-bit integer or the top 30 bits of a double, optionally divided by 100.
double decodeRk(std::uint32_t rk) {
  double value;
  if (rk & 0x02) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFC) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 0x01) ? value / 100 : value;
}

class SheetBuilder {
 public:
  SheetBuilder(std::size_t sharedStringCount, xlmodel::Workbook& book, xlmodel::Sheet& sheet)
      : sharedStringCount_(sharedStringCount), book_(book), sheet_(sheet) {}

  bool handle(const Record& rec, RecordReader& reader, std::string& error);
  void finish();

 private:
  Cell& place(std::uint32_t row, std::uint32_t col, std::uint16_t xf, CellType type) {
    Cell cell;
    cell.row = row;
    cell.col = col;
    cell.type = type;
    cell.xf = xf < book_.xfs.size() ? xf : 0;
    sheet_.cells.push_back(cell);
    return sheet_.cells.back();
  }
  // Most cell records start with row, column and cell style.
  Cell& add(std::string_view data, CellType type) {
    return place(u16At(data, 0), u16At(data, 2), u16At(data, 4), type);
  }
  void setText(Cell& cell, std::u16string text) {
    cell.text = static_cast<std::uint32_t>(book_.strings.size());
    book_.strings.push_back(std::move(text));
  }
  bool readTextCell(const Record& rec, RecordReader& reader);
  void readFormula(std::string_view data);
  void readMulRk(std::string_view data);
  void readMulBlank(std::string_view data);
  void readMergedCells(std::string_view data);

  std::size_t sharedStringCount_;
  xlmodel::Workbook& book_;
  xlmodel::Sheet& sheet_;
  // The text of the formula cell waiting for the STRING record that holds its result.
  static constexpr std::uint32_t kNothingPending = 0xFFFFFFFF;
  std::uint32_t pendingString_ = kNothingPending;
};

bool SheetBuilder::readTextCell(const Record& rec, RecordReader& reader) {
  std::vector<std::string_view> segments{rec.data.substr(6)};
  reader.takeContinues(segments);
  SegmentedReader body(std::move(segments));
  std::u16string text;
  if (!body.readUnicodeString(text)) return false;
  setText(add(rec.data, CellType::String), std::move(text));
  return true;
}

void SheetBuilder::readFormula(std::string_view data) {
  // The cached result: a double, unless its top two bytes are FFFF and the first byte names the
  // kind of result.
  Cell& cell = add(data, CellType::Number);
  cell.isFormula = true;
  if (u16At(data, 12) != 0xFFFF) {
    cell.number = f64At(data, 6);
    return;
  }
  switch (byteAt(data, 6)) {
    case 0:  // text, in the STRING record that follows
      cell.type = CellType::String;
      setText(cell, {});
      pendingString_ = cell.text;
      break;
    case 1:
      cell.type = CellType::Boolean;
      cell.number = byteAt(data, 8) != 0;
      break;
    case 2:
      cell.type = CellType::Error;
      cell.number = byteAt(data, 8);
      break;
    default:  // 3 is the empty text; anything else reads as that too
      cell.type = CellType::String;
      setText(cell, {});
      break;
  }
}

// MULRK and MULBLANK: row, first column, one entry per column, last column.
void SheetBuilder::readMulRk(std::string_view data) {
  std::uint16_t row = u16At(data, 0);
  std::uint16_t firstCol = u16At(data, 2);
  std::size_t count = (data.size() - 6) / 6;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t pos = 4 + 6 * i;
    place(row, static_cast<std::uint32_t>(firstCol + i), u16At(data, pos), CellType::Number)
        .number = decodeRk(u32At(data, pos + 2));
  }
}

void SheetBuilder::readMulBlank(std::string_view data) {
  std::uint16_t row = u16At(data, 0);
  std::uint16_t firstCol = u16At(data, 2);
  std::size_t count = (data.size() - 6) / 2;
  for (std::size_t i = 0; i < count; ++i) {
    place(row, static_cast<std::uint32_t>(firstCol + i), u16At(data, 4 + 2 * i), CellType::Blank);
  }
}

void SheetBuilder::readMergedCells(std::string_view data) {
  std::size_t count = std::min<std::size_t>(u16At(data, 0), (data.size() - 2) / 8);
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t pos = 2 + 8 * i;
    for (std::size_t field = 0; field < 4; ++field) {
      sheet_.mergedRanges.push_back(u16At(data, pos + 2 * field));
    }
  }
}

bool SheetBuilder::handle(const Record& rec, RecordReader& reader, std::string& error) {
  std::string_view data = rec.data;
  auto needs = [&](std::size_t size, const char* name) {
    if (data.size() >= size) return true;
    error = std::string("damaged workbook: ") + name + " record too short";
    return false;
  };
  switch (rec.id) {
    case record::kNumber:
      if (!needs(14, "NUMBER")) return false;
      add(data, CellType::Number).number = f64At(data, 6);
      break;
    case record::kRk:
      if (!needs(10, "RK")) return false;
      add(data, CellType::Number).number = decodeRk(u32At(data, 6));
      break;
    case record::kMulRk:
      if (!needs(6, "MULRK")) return false;
      readMulRk(data);
      break;
    case record::kLabelSst: {
      if (!needs(10, "LABELSST")) return false;
      std::uint32_t index = u32At(data, 6);
      if (index >= sharedStringCount_) {
        error = "damaged workbook: shared string " + std::to_string(index) + " does not exist";
        return false;
      }
      add(data, CellType::String).text = index;
      break;
    }
    case record::kLabel:
    case record::kRString:
      if (!needs(8, "LABEL") || !readTextCell(rec, reader)) {
        error = "damaged workbook: bad LABEL record";
        return false;
      }
      break;
    case record::kBoolErr: {
      if (!needs(8, "BOOLERR")) return false;
      bool isError = byteAt(data, 7) != 0;
      std::uint8_t value = byteAt(data, 6);
      add(data, isError ? CellType::Error : CellType::Boolean).number =
          isError ? value : (value != 0);
      break;
    }
    case record::kBlank:
      if (!needs(6, "BLANK")) return false;
      add(data, CellType::Blank);
      break;
    case record::kMulBlank:
      if (!needs(6, "MULBLANK")) return false;
      readMulBlank(data);
      break;
    case record::kFormula:
      if (!needs(20, "FORMULA")) return false;
      pendingString_ = kNothingPending;
      readFormula(data);
      break;
    case record::kString:
      if (pendingString_ != kNothingPending) {
        std::vector<std::string_view> segments{data};
        reader.takeContinues(segments);
        SegmentedReader body(std::move(segments));
        std::u16string text;
        if (!body.readUnicodeString(text)) {
          error = "damaged workbook: bad STRING record";
          return false;
        }
        book_.strings[pendingString_] = std::move(text);
        pendingString_ = kNothingPending;
      }
      break;
    case record::kMergedCells:
      if (!needs(2, "MERGEDCELLS")) return false;
      readMergedCells(data);
      break;
    default:
      break;
  }
  return true;
}

void SheetBuilder::finish() {
  // Records normally come in row order; a later record for the same cell wins.
  auto& cells = sheet_.cells;
  auto before = [](const Cell& a, const Cell& b) {
    return a.row != b.row ? a.row < b.row : a.col < b.col;
  };
  if (!std::is_sorted(cells.begin(), cells.end(), before)) {
    std::stable_sort(cells.begin(), cells.end(), before);
  }
  auto samePlace = [](const Cell& a, const Cell& b) { return a.row == b.row && a.col == b.col; };
  std::size_t kept = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (kept > 0 && samePlace(cells[kept - 1], cells[i])) {
      cells[kept - 1] = cells[i];
    } else {
      cells[kept++] = cells[i];
    }
  }
  cells.resize(kept);
}

}  // namespace

bool readWorksheet(std::string_view stream, std::size_t begin, std::size_t end,
                   std::size_t sharedStringCount, xlmodel::Workbook& book, xlmodel::Sheet& sheet,
                   std::string& error) {
  RecordReader reader(stream, begin, end);
  Record rec;
  if (!reader.next(rec) || rec.id != record::kBof) {
    error = "damaged workbook: a sheet does not start where the workbook says";
    return false;
  }
  SheetBuilder builder(sharedStringCount, book, sheet);
  // Charts embedded in a sheet bring their own BOF ... EOF, which are skipped.
  int nested = 0;
  while (reader.next(rec)) {
    if (rec.id == record::kBof) {
      ++nested;
    } else if (rec.id == record::kEof) {
      if (nested == 0) break;
      --nested;
    } else if (nested == 0 && !builder.handle(rec, reader, error)) {
      return false;
    }
  }
  if (reader.truncated()) {
    error = "damaged workbook: a record runs past the end of a sheet";
    return false;
  }
  builder.finish();
  return true;
}

}  // namespace xls
