#include "spreadsheet/book_object.h"

#include <algorithm>
#include <new>

#include "spreadsheet/number_formats.h"
#include "spreadsheet/workbook_file.h"
#include "spreadsheet/xls/xls_reader.h"
#include "spreadsheet/xlsx/xlsx_reader.h"

namespace {

constexpr int kFirstCustomId = 164;

std::u16string widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string toUtf8(std::u16string_view text) {
  std::string out;
  for (char16_t unit : text) {
    // Format codes of interest are ASCII and CJK of the basic plane; surrogates do not occur.
    if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else if (unit < 0x800) {
      out += static_cast<char>(0xC0 | (unit >> 6));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (unit >> 12));
      out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return out;
}

// Works out, for every cell format, the id the library reports and whether it shows dates.
// Custom codes that spell a built-in format are reported as that built-in id; custom codes
// stored under a low id get an id of their own, so a low id always means a built-in format.
void resolveFormats(XlBookObject& book) {
  int nextCustom = kFirstCustomId;
  for (const auto& [id, code] : book.model.numFormats)
    nextCustom = std::max(nextCustom, static_cast<int>(std::min<std::uint32_t>(id, 1u << 30)) + 1);
  std::map<std::uint32_t, xlbook::FormatInfo> byStoredId;
  for (const auto& [id, code] : book.model.numFormats) {
    xlbook::FormatInfo info;
    std::string utf8 = toUtf8(code);
    if (auto builtIn = xlformat::builtInIdForCode(utf8)) {
      info.reportedId = static_cast<int>(*builtIn);
      info.isDate = xlformat::isBuiltInDate(*builtIn);
    } else {
      info.reportedId = id >= static_cast<std::uint32_t>(kFirstCustomId) && id < (1u << 30)
                            ? static_cast<int>(id)
                            : nextCustom++;
      info.isDate = xlformat::isDateCode(utf8);
      book.customFormats[info.reportedId] = code;
    }
    byStoredId[id] = info;
  }
  book.formats.clear();
  book.formats.reserve(book.model.xfs.size());
  for (const auto& xf : book.model.xfs) {
    auto found = byStoredId.find(xf.numFmtId);
    if (found != byStoredId.end()) {
      book.formats.push_back(found->second);
    } else {
      xlbook::FormatInfo info;
      info.reportedId = static_cast<int>(std::min<std::uint32_t>(xf.numFmtId, 1u << 30));
      info.isDate = xlformat::isBuiltInDate(xf.numFmtId);
      book.formats.push_back(info);
    }
  }
}

void widenBounds(xlbook::Bounds& bounds, bool& any, const xlmodel::Cell& cell) {
  int row = static_cast<int>(cell.row), col = static_cast<int>(cell.col);
  if (!any) {
    bounds = {row, row + 1, col, col + 1};
    any = true;
    return;
  }
  bounds.firstRow = std::min(bounds.firstRow, row);
  bounds.lastRow = std::max(bounds.lastRow, row + 1);
  bounds.firstCol = std::min(bounds.firstCol, col);
  bounds.lastCol = std::max(bounds.lastCol, col + 1);
}

xlbook::SheetInfo measure(const xlmodel::Sheet& sheet) {
  xlbook::SheetInfo info;
  bool anyCell = false, anyFilled = false;
  for (const auto& cell : sheet.cells) {
    if (cell.type == xlmodel::CellType::Empty) continue;
    widenBounds(info.all, anyCell, cell);
    if (cell.type != xlmodel::CellType::Blank) widenBounds(info.filled, anyFilled, cell);
  }
  return info;
}

}  // namespace

void XlBookObject::clearContent() {
  model = {};
  formats.clear();
  customFormats.clear();
  sheetInfo.clear();
  sheets.clear();
  formatObjects.clear();
  fontObjects.clear();
  lastCell = {};
}

void XlBookObject::refuse(std::string_view reason) {
  clearContent();
  error = widen(reason.empty() ? std::string_view("the workbook could not be read") : reason);
}

bool XlBookObject::load(std::string_view bytes) {
  clearContent();
  error.clear();
  std::string reason;
  bool ok = false;
  try {
    if (bytes.empty()) {
      reason = xlfile::kEmptyReason;
    } else if (kind == xlbook::Kind::Xls) {
      ok = xls::readWorkbook(bytes, model, reason);
    } else {
      ok = xlsx::readWorkbook(bytes, model, reason);
    }
    if (ok && model.sheets.empty()) {
      ok = false;
      reason = "the workbook has no sheets";
    }
    if (ok) {
      if (model.xfs.empty()) model.xfs.emplace_back();
      if (model.fonts.empty()) model.fonts.emplace_back();
      resolveFormats(*this);
      for (std::uint32_t i = 0; i < model.sheets.size(); ++i) {
        sheetInfo.push_back(measure(model.sheets[i]));
        sheets.push_back(std::make_unique<XlSheetObject>(XlSheetObject{this, i}));
      }
      for (std::uint32_t i = 0; i < model.xfs.size(); ++i)
        formatObjects.push_back(std::make_unique<XlFormatObject>(XlFormatObject{this, i}));
      for (std::uint32_t i = 0; i < model.fonts.size(); ++i)
        fontObjects.push_back(std::make_unique<XlFontObject>(XlFontObject{this, i}));
      if (model.activeSheet >= model.sheets.size()) model.activeSheet = 0;
      return true;
    }
  } catch (const std::bad_alloc&) {
    reason = "not enough memory to read the workbook";
  } catch (...) {
    reason = "the workbook could not be read";
  }
  refuse(reason);
  return false;
}

const XlChar* XlBookObject::hand(std::u16string text) {
  returned = std::move(text);
  return returned.c_str();
}

std::size_t XlBookObject::firstCellFrom(std::uint32_t sheet, std::uint32_t row,
                                        std::uint32_t col) const {
  const auto& cells = model.sheets[sheet].cells;
  auto before = [](const xlmodel::Cell& cell, std::uint32_t row, std::uint32_t col) {
    return cell.row != row ? cell.row < row : cell.col < col;
  };
  if (lastCell.sheet == sheet && lastCell.position < cells.size()) {
    // The cell asked for again, or the one after it.
    const std::size_t last = lastCell.position;
    if (!before(cells[last], row, col) && (last == 0 || before(cells[last - 1], row, col)))
      return last;
    if (before(cells[last], row, col) &&
        (last + 1 == cells.size() || !before(cells[last + 1], row, col))) {
      lastCell.position = last + 1;
      return last + 1;
    }
  }
  auto found = std::lower_bound(
      cells.begin(), cells.end(), std::pair{row, col},
      [&](const xlmodel::Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& at) {
        return before(cell, at.first, at.second);
      });
  lastCell = {sheet, static_cast<std::size_t>(found - cells.begin())};
  return lastCell.position;
}

const xlmodel::Cell* XlBookObject::cell(std::uint32_t sheet, int row, int col) const {
  if (sheet >= model.sheets.size() || row < 0 || col < 0) return nullptr;
  const auto& cells = model.sheets[sheet].cells;
  auto r = static_cast<std::uint32_t>(row), c = static_cast<std::uint32_t>(col);
  std::size_t at = firstCellFrom(sheet, r, c);
  if (at == cells.size() || cells[at].row != r || cells[at].col != c ||
      cells[at].type == xlmodel::CellType::Empty)
    return nullptr;
  return &cells[at];
}

std::uint32_t XlBookObject::xfOf(const xlmodel::Cell& cell) const {
  return cell.xf < model.xfs.size() ? cell.xf : 0;
}
