#include <algorithm>
#include <charconv>

#include "spreadsheet/cell_address.h"
#include "spreadsheet/date_serial.h"
#include "spreadsheet/xlsx/package.h"
#include "spreadsheet/xlsx/parts.h"

namespace xlsx {
namespace {

// A cell reference as sheets write them: no "$" markers.
bool reference(std::string_view text, std::uint32_t& row, std::uint32_t& col) {
  xl::CellAddress address;
  if (!xl::parseCellAddress(text, address, /*allowAbsolute=*/false)) return false;
  row = address.row;
  col = address.col;
  return true;
}

// A worksheet can legitimately unpack to hundreds of megabytes; it is never held whole.
constexpr std::uint64_t kMaxSheetPart = std::uint64_t{1} << 30;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\n' || text.front() == '\r' ||
                           text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\n' || text.back() == '\r' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

bool parseNumber(std::string_view text, double& value) {
  text = trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// Error texts to the codes both file formats share.
double errorCode(std::string_view text) {
  text = trimmed(text);
  if (text == "#NULL!") return 0x00;
  if (text == "#DIV/0!") return 0x07;
  if (text == "#VALUE!") return 0x0F;
  if (text == "#REF!") return 0x17;
  if (text == "#NAME?") return 0x1D;
  if (text == "#NUM!") return 0x24;
  if (text == "#N/A") return 0x2A;
  return 0x2B;  // #GETTING_DATA and anything newer
}

// Reads "2023-01-05", "2023-01-05T13:05:00(.000)(Z)" or "13:05:00" into a serial number.
bool parseIsoDate(std::string_view text, bool date1904, double& serial) {
  text = trimmed(text);
  xldate::DateTime date;
  auto number = [&](std::size_t at, std::size_t width, int& out) {
    if (at + width > text.size()) return false;
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      value = value * 10 + (text[i] - '0');
    }
    out = value;
    return true;
  };
  std::size_t at = 0;
  bool hasDate = text.size() >= 10 && text[4] == '-' && text[7] == '-';
  if (hasDate) {
    if (!number(0, 4, date.year) || !number(5, 2, date.month) || !number(8, 2, date.day))
      return false;
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return false;
    at = 10;
    if (at < text.size() && (text[at] == 'T' || text[at] == ' ')) ++at;
  }
  if (at < text.size() && at + 5 <= text.size() && text[at + 2] == ':') {
    if (!number(at, 2, date.hour) || !number(at + 3, 2, date.minute)) return false;
    at += 5;
    if (at + 3 <= text.size() && text[at] == ':' && number(at + 1, 2, date.second)) at += 3;
    if (at < text.size() && text[at] == '.') {
      int digits = 0, ms = 0;
      for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits)
        if (digits < 3) ms = ms * 10 + (text[at] - '0');
      for (; digits < 3; ++digits) ms *= 10;
      date.millisecond = ms;
    }
  } else if (!hasDate) {
    return false;
  }
  serial =
      hasDate
          ? xldate::pack(date, date1904)
          : ((date.hour * 60.0 + date.minute) * 60.0 + date.second + date.millisecond / 1000.0) /
                86400.0;
  return true;
}

class SheetHandler : public XmlHandler {
 public:
  SheetHandler(std::size_t sharedCount, xlmodel::Workbook& book, xlmodel::Sheet& sheet,
               Budget& budget)
      : sharedCount_(sharedCount), book_(book), sheet_(sheet), budget_(budget) {}

  void startElement(std::string_view name, const std::vector<XmlAttribute>& attributes) override {
    if (name == "c") {
      startCell(attributes);
    } else if (inCell_) {
      if (name == "v") {
        inValue_ = true;
        hasValue_ = true;
      } else if (name == "f") {
        isFormula_ = true;
      } else if (name == "is") {
        inInline_ = true;
        hasValue_ = true;
      } else if (name == "rPh") {
        ++phonetic_;
      } else if (name == "t" && inInline_ && phonetic_ == 0) {
        inInlineText_ = true;
      }
    } else if (name == "row") {
      startRow(findAttribute(attributes, "r"));
    } else if (name == "mergeCell") {
      addMerge(findAttribute(attributes, "ref"));
    }
  }

  void endElement(std::string_view name) override {
    if (name == "c") {
      if (inCell_) finishCell();
    } else if (name == "v") {
      inValue_ = false;
    } else if (name == "is") {
      inInline_ = false;
    } else if (name == "t") {
      inInlineText_ = false;
    } else if (name == "rPh") {
      if (phonetic_ > 0) --phonetic_;
    }
  }

  void text(std::string_view raw, bool cdata) override {
    if (inValue_) {
      value_.append(raw);  // raw: entities are decoded when the value turns out to be text
    } else if (inInlineText_) {
      if (cdata)
        appendUtf8(raw, inlineText_);
      else
        appendXmlText(raw, inlineText_);
    }
    if (value_.size() > 6 * kMaxTextLength * 3 || inlineText_.size() > 6 * kMaxTextLength)
      fail("cell text longer than a cell holds");
  }

  void finishSheet() {
    if (unsorted_) {
      std::stable_sort(sheet_.cells.begin(), sheet_.cells.end(),
                       [](const xlmodel::Cell& a, const xlmodel::Cell& b) {
                         return a.row != b.row ? a.row < b.row : a.col < b.col;
                       });
      // A position written twice keeps its last cell.
      std::vector<xlmodel::Cell> unique;
      unique.reserve(sheet_.cells.size());
      for (const auto& cell : sheet_.cells) {
        if (!unique.empty() && unique.back().row == cell.row && unique.back().col == cell.col)
          unique.back() = cell;
        else
          unique.push_back(cell);
      }
      sheet_.cells = std::move(unique);
    }
  }

 private:
  static constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;

  // A row without a number follows the one before it. A row whose number is not one of the
  // grid's (0, -5, 99999999...) cannot be placed: its cells go only where their own references
  // say, and the rows after it count on from the last row that could be placed.
  void startRow(const XmlAttribute* r) {
    nextCol_ = 0;
    columnKnown_ = true;
    if (r) {
      std::string_view text = trimmed(r->value);
      std::uint32_t row = 0;
      auto parsed = std::from_chars(text.data(), text.data() + text.size(), row);
      rowKnown_ = parsed.ec == std::errc() && parsed.ptr == text.data() + text.size() && row >= 1 &&
                  row <= kMaxRows;
      if (rowKnown_) row_ = row - 1;
      return;
    }
    if (row_ == kNoRow) {
      row_ = 0;
      rowKnown_ = true;
    } else {
      rowKnown_ = row_ + 1 < kMaxRows;
      if (rowKnown_) ++row_;
    }
  }

  // A cell goes where its reference says. Without a reference it follows the cell before it in
  // its row; a reference that names no cell of the grid (A0, XFE1, A99999999) is skipped with
  // the cell, and so are the reference-less cells after it, whose place is then unknown.
  // Nothing is ever moved to row 0 or column 0 in its stead.
  void startCell(const std::vector<XmlAttribute>& attributes) {
    inCell_ = true;
    hasValue_ = isFormula_ = inValue_ = inInline_ = inInlineText_ = false;
    phonetic_ = 0;
    value_.clear();
    inlineText_.clear();
    cell_ = {};
    std::uint32_t row, col;
    if (auto* r = findAttribute(attributes, "r")) {
      placed_ = reference(trimmed(r->value), row, col);
      columnKnown_ = placed_;
      if (placed_) {
        cell_.row = row;
        cell_.col = col;
      }
    } else {
      placed_ = rowKnown_ && columnKnown_ && row_ != kNoRow && nextCol_ < kMaxCols;
      cell_.row = row_;
      cell_.col = nextCol_;
    }
    if (placed_) nextCol_ = cell_.col + 1;
    if (auto* s = findAttribute(attributes, "s"))
      std::from_chars(s->value.data(), s->value.data() + s->value.size(), cell_.xf);
    auto* t = findAttribute(attributes, "t");
    kind_.assign(t ? t->value.substr(0, 9) : std::string_view("n"));
  }

  void finishCell() {
    inCell_ = false;
    if (!placed_) return;
    cell_.isFormula = isFormula_;
    const std::string_view kind = kind_;
    cell_.type = xlmodel::CellType::Blank;
    if (kind == "inlineStr") {
      if (hasValue_) setString(std::move(inlineText_));
    } else if (hasValue_) {
      if (kind == "s") {
        double index;
        if (parseNumber(value_, index) && index >= 0 && index < static_cast<double>(sharedCount_)) {
          cell_.type = xlmodel::CellType::String;
          cell_.text = static_cast<std::uint32_t>(index);
        }
      } else if (kind == "str") {
        std::u16string text;
        appendXmlText(value_, text);
        setString(std::move(text));
      } else if (kind == "b") {
        cell_.type = xlmodel::CellType::Boolean;
        std::string_view v = trimmed(value_);
        cell_.number = (v == "1" || v == "true") ? 1 : 0;
      } else if (kind == "e") {
        cell_.type = xlmodel::CellType::Error;
        cell_.number = errorCode(value_);
      } else if (kind == "d") {
        if (parseIsoDate(value_, book_.date1904, cell_.number))
          cell_.type = xlmodel::CellType::Number;
      } else if (parseNumber(value_, cell_.number)) {
        cell_.type = xlmodel::CellType::Number;
      }
    }
    if (budget_.cells == 0) return fail("the workbook has more cells than a workbook may hold");
    --budget_.cells;
    if (!sheet_.cells.empty()) {
      const auto& last = sheet_.cells.back();
      if (last.row > cell_.row || (last.row == cell_.row && last.col >= cell_.col))
        unsorted_ = true;
    }
    sheet_.cells.push_back(cell_);
  }

  void setString(std::u16string text) {
    decodeEscapedCharacters(text);
    if (text.size() > kMaxTextLength) return fail("cell text longer than a cell holds");
    if (book_.strings.size() >= 2 * kMaxCells) return fail("too many cell texts");
    if (text.size() > budget_.textUnits)
      return fail("the workbook's texts are larger than a workbook may hold");
    budget_.textUnits -= text.size();
    cell_.type = xlmodel::CellType::String;
    cell_.text = static_cast<std::uint32_t>(book_.strings.size());
    book_.strings.push_back(std::move(text));
  }

  void addMerge(const XmlAttribute* ref) {
    if (!ref) return;
    auto colon = ref->value.find(':');
    if (colon == std::string_view::npos) return;
    std::uint32_t r1, c1, r2, c2;
    if (!reference(ref->value.substr(0, colon), r1, c1) ||
        !reference(ref->value.substr(colon + 1), r2, c2))
      return;
    if (budget_.cells == 0) return fail("the workbook has more cells than a workbook may hold");
    --budget_.cells;
    sheet_.mergedRanges.insert(sheet_.mergedRanges.end(), {std::min(r1, r2), std::max(r1, r2),
                                                           std::min(c1, c2), std::max(c1, c2)});
  }

  std::size_t sharedCount_;
  xlmodel::Workbook& book_;
  xlmodel::Sheet& sheet_;
  Budget& budget_;
  std::uint32_t row_ = kNoRow;
  std::uint32_t nextCol_ = 0;
  bool rowKnown_ = true, columnKnown_ = true, placed_ = false;
  bool inCell_ = false, inValue_ = false, inInline_ = false, inInlineText_ = false;
  bool hasValue_ = false, isFormula_ = false, unsorted_ = false;
  int phonetic_ = 0;
  xlmodel::Cell cell_;
  std::string kind_;
  std::string value_;
  std::u16string inlineText_;
};

}  // namespace

bool readSheetPart(const ZipArchive& zip, const ZipEntry& entry, std::size_t sharedCount,
                   xlmodel::Workbook& book, xlmodel::Sheet& sheet, Budget& budget,
                   std::string& error) {
  SheetHandler handler(sharedCount, book, sheet, budget);
  if (!parseXmlPart(zip, entry, kMaxSheetPart, handler, error)) return false;
  handler.finishSheet();
  return true;
}

}  // namespace xlsx
