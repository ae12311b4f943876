// Filling a book cell by cell and saving it as .xlsx: the writing side of the book objects.
#include <algorithm>
#include <new>

#include "spreadsheet/book_object.h"
#include "spreadsheet/xlsx/xlsx_writer.h"

namespace {

void include(xlbook::Bounds& bounds, int row, int col) {
  if (bounds.lastRow == 0) {  // empty so far
    bounds = {row, row + 1, col, col + 1};
    return;
  }
  bounds.firstRow = std::min(bounds.firstRow, row);
  bounds.lastRow = std::max(bounds.lastRow, row + 1);
  bounds.firstCol = std::min(bounds.firstCol, col);
  bounds.lastCol = std::max(bounds.lastCol, col + 1);
}

}  // namespace

// A new book has no formats or fonts, yet every cell's format handle points at one.
void XlBookObject::ensureDefaultFormat() {
  if (model.xfs.empty()) model.xfs.emplace_back();
  if (model.fonts.empty()) model.fonts.emplace_back();
  if (formats.empty()) formats.emplace_back();
  if (formatObjects.empty())
    formatObjects.push_back(std::make_unique<XlFormatObject>(XlFormatObject{this, 0}));
  if (fontObjects.empty())
    fontObjects.push_back(std::make_unique<XlFontObject>(XlFontObject{this, 0}));
}

XlSheetObject* XlBookObject::addSheet(std::u16string name) {
  if (name.empty()) {
    error = u"a sheet needs a name";
    return nullptr;
  }
  ensureDefaultFormat();
  const auto index = static_cast<std::uint32_t>(model.sheets.size());
  model.sheets.push_back({std::move(name), {}, {}});
  sheetInfo.emplace_back();
  sheets.push_back(std::make_unique<XlSheetObject>(XlSheetObject{this, index}));
  return sheets.back().get();
}

bool XlBookObject::writeString(std::uint32_t sheet, std::uint32_t row, std::uint32_t col,
                               std::u16string text) {
  if (sheet >= model.sheets.size()) return false;
  if (text.size() > xlsx::kMaxCellText) {
    error = u"a cell holds at most 32767 characters";
    return false;
  }
  // Row and column numbers beyond Excel's grid would give a package nobody opens.
  if (row >= 1048576 || col >= 16384) {
    error = u"the cell lies outside the sheet";
    return false;
  }
  xlmodel::Cell cell;
  cell.row = row;
  cell.col = col;
  cell.type = xlmodel::CellType::String;
  cell.text = static_cast<std::uint32_t>(model.strings.size());
  model.strings.push_back(std::move(text));

  auto& cells = model.sheets[sheet].cells;
  // Cells usually come in row order: appending keeps the list sorted without a search.
  if (cells.empty() || cells.back().row < row ||
      (cells.back().row == row && cells.back().col < col)) {
    cells.push_back(cell);
  } else {
    const std::size_t at = firstCellFrom(sheet, row, col);
    if (at < cells.size() && cells[at].row == row && cells[at].col == col) {
      cells[at] = cell;
    } else {
      cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(at), cell);
    }
  }
  lastCell = {};
  include(sheetInfo[sheet].all, static_cast<int>(row), static_cast<int>(col));
  include(sheetInfo[sheet].filled, static_cast<int>(row), static_cast<int>(col));
  return true;
}

bool XlBookObject::saveXlsx(std::string& out) {
  std::string reason;
  try {
    if (xlsx::writeWorkbook(model, out, reason)) return true;
  } catch (const std::bad_alloc&) {
    reason = "not enough memory to write the workbook";
  }
  error.assign(reason.begin(), reason.end());
  return false;
}
