#include "spreadsheet/xlsx/xlsx_writer.h"

#include <cstdio>
#include <system_error>
#include <thread>
#include <vector>

#include "spreadsheet/xlsx/xml_tokenizer.h"
#include "spreadsheet/xlsx/zip_writer.h"

namespace xlsx {
namespace {

void appendHexEscape(char16_t unit, std::string& out) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "_x%04X_", static_cast<unsigned>(unit));
  out += buffer;
}

bool isHex(char16_t unit) {
  return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f') ||
         (unit >= u'A' && unit <= u'F');
}

// "_xHHHH_" at `at`, which a reader would decode to one character.
bool looksEscaped(std::u16string_view text, std::size_t at) {
  if (at + 6 >= text.size() || text[at + 1] != u'x' || text[at + 6] != u'_') return false;
  for (std::size_t k = at + 2; k < at + 6; ++k)
    if (!isHex(text[k])) return false;
  return true;
}

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::string columnName(std::uint32_t col) {
  std::string letters;
  for (std::uint32_t value = col + 1; value > 0; value = (value - 1) / 26)
    letters.insert(letters.begin(), static_cast<char>('A' + (value - 1) % 26));
  return letters;
}

const char kContentTypesHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "<Override PartName=\"/xl/sharedStrings.xml\" "
    "ContentType=\"application/"
    "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>";

const char kPackageRelationships[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>";

// One font, one fill pair, one border, one cell format: the least Excel accepts.
const char kStyles[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font>"
    "</fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
    "</cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
    "borderId=\"0\" xfId=\"0\"/></cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" "
    "xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>";

const char kSheetRelationshipType[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";

std::string contentTypes(std::size_t sheets) {
  std::string out = kContentTypesHead;
  for (std::size_t i = 1; i <= sheets; ++i)
    out += "<Override PartName=\"/xl/worksheets/sheet" + std::to_string(i) +
           ".xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
  return out + "</Types>";
}

void appendAttribute(std::u16string_view text, std::string& out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit == u'"') {
      out += "&quot;";
    } else if (unit == u'&') {
      out += "&amp;";
    } else if (unit == u'<') {
      out += "&lt;";
    } else if (unit < 0x20) {
      out += ' ';  // sheet names hold no control characters; Excel forbids them
    } else if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      appendCodePointUtf8(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00),
                          out);
      ++i;
    } else {
      appendCodePointUtf8(isHighSurrogate(unit) || isLowSurrogate(unit) ? 0xFFFD : unit, out);
    }
  }
}

std::string workbookPart(const xlmodel::Workbook& model) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
  out += "<bookViews><workbookView activeTab=\"" + std::to_string(model.activeSheet) +
         "\"/></bookViews><sheets>";
  for (std::size_t i = 0; i < model.sheets.size(); ++i) {
    out += "<sheet name=\"";
    appendAttribute(model.sheets[i].name, out);
    out +=
        "\" sheetId=\"" + std::to_string(i + 1) + "\" r:id=\"rId" + std::to_string(i + 1) + "\"/>";
  }
  return out + "</sheets></workbook>";
}

std::string workbookRelationships(std::size_t sheets) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (std::size_t i = 1; i <= sheets; ++i)
    out += "<Relationship Id=\"rId" + std::to_string(i) + "\" Type=\"" + kSheetRelationshipType +
           "\" Target=\"worksheets/sheet" + std::to_string(i) + ".xml\"/>";
  const std::string next = std::to_string(sheets + 1), after = std::to_string(sheets + 2);
  out += "<Relationship Id=\"rId" + next +
         "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
         "Target=\"styles.xml\"/>";
  out += "<Relationship Id=\"rId" + after +
         "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
         "sharedStrings\" Target=\"sharedStrings.xml\"/>";
  return out + "</Relationships>";
}

// The model's strings renumbered in the order the cells use them, each text once.
struct SharedStrings {
  static constexpr std::uint32_t kUnused = 0xFFFFFFFF;
  explicit SharedStrings(std::size_t modelStrings) : shared(modelStrings, kUnused) {}
  std::vector<std::uint32_t> order;   // model string index, by shared index
  std::vector<std::uint32_t> shared;  // model string index -> shared index, or kUnused
  std::size_t uses = 0;
};

bool sheetPart(const xlmodel::Workbook& model, const xlmodel::Sheet& sheet, SharedStrings& strings,
               std::string& out, std::string& error) {
  out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<sheetData>";
  bool rowOpen = false;
  std::uint32_t currentRow = 0;
  for (const auto& cell : sheet.cells) {
    if (cell.type != xlmodel::CellType::String) continue;
    if (cell.text >= model.strings.size()) {
      error = "a cell names a text the workbook does not hold";
      return false;
    }
    if (model.strings[cell.text].size() > kMaxCellText) {
      error = "a cell holds more than 32767 characters";
      return false;
    }
    if (!rowOpen || cell.row != currentRow) {
      if (rowOpen) out += "</row>";
      currentRow = cell.row;
      rowOpen = true;
      out += "<row r=\"" + std::to_string(cell.row + 1) + "\">";
    }
    auto& shared = strings.shared[cell.text];
    if (shared == SharedStrings::kUnused) {
      shared = static_cast<std::uint32_t>(strings.order.size());
      strings.order.push_back(cell.text);
    }
    ++strings.uses;
    out += "<c r=\"";
    out += columnName(cell.col);
    out += std::to_string(cell.row + 1);
    out += "\" t=\"s\"><v>";
    out += std::to_string(shared);
    out += "</v></c>";
  }
  if (rowOpen) out += "</row>";
  out += "</sheetData></worksheet>";
  return true;
}

std::string sharedStringsPart(const xlmodel::Workbook& model, const SharedStrings& strings) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
      std::to_string(strings.uses) + "\" uniqueCount=\"" + std::to_string(strings.order.size()) +
      "\">";
  std::size_t estimate = out.size();
  for (std::uint32_t index : strings.order) estimate += model.strings[index].size() * 3 + 40;
  out.reserve(estimate);
  for (std::uint32_t index : strings.order) {
    // Kept as written: leading and trailing spaces and line breaks survive only with this.
    out += "<si><t xml:space=\"preserve\">";
    appendEscapedText(model.strings[index], out);
    out += "</t></si>";
  }
  return out + "</sst>";
}

}  // namespace

void appendEscapedText(std::u16string_view text, std::string& out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    switch (unit) {
      case u'&':
        out += "&amp;";
        continue;
      case u'<':
        out += "&lt;";
        continue;
      case u'>':
        out += "&gt;";
        continue;
      case u'\r':
        out += "&#13;";
        continue;
      case u'\t':
      case u'\n':
        out += static_cast<char>(unit);
        continue;
      case u'_':
        if (looksEscaped(text, i)) {
          out += "_x005F_";
          continue;
        }
        break;
      default:
        break;
    }
    if (unit >= 0x20 && unit < 0x80) {
      out += static_cast<char>(unit);
    } else if (unit < 0x20 || unit == 0xFFFE || unit == 0xFFFF) {
      appendHexEscape(unit, out);
    } else if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      appendCodePointUtf8(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00),
                          out);
      ++i;
    } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
      appendCodePointUtf8(0xFFFD, out);  // a lone half of a pair has no UTF-8 form
    } else {
      appendCodePointUtf8(unit, out);
    }
  }
}

bool writeWorkbook(const xlmodel::Workbook& model, std::string& out, std::string& error) {
  if (model.sheets.empty()) {
    error = "the workbook has no sheets";
    return false;
  }
  SharedStrings strings(model.strings.size());
  std::vector<std::string> sheets(model.sheets.size());
  for (std::size_t i = 0; i < model.sheets.size(); ++i)
    if (!sheetPart(model, model.sheets[i], strings, sheets[i], error)) return false;

  // The shared strings are most of the package: they are packed on a second thread while
  // the sheets are packed on this one.
  PackedPart sharedStrings;
  std::thread packer;
  std::string sharedStringsXml = sharedStringsPart(model, strings);
  try {
    packer =
        std::thread([&] { sharedStrings = packPart("xl/sharedStrings.xml", sharedStringsXml); });
  } catch (const std::system_error&) {
    sharedStrings = packPart("xl/sharedStrings.xml", sharedStringsXml);
  }
  std::vector<PackedPart> packedSheets;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    packedSheets.push_back(
        packPart("xl/worksheets/sheet" + std::to_string(i + 1) + ".xml", sheets[i]));
    std::string().swap(sheets[i]);
  }
  if (packer.joinable()) packer.join();

  ZipWriter zip;
  bool ok = zip.add("[Content_Types].xml", contentTypes(sheets.size())) &&
            zip.add("_rels/.rels", kPackageRelationships) &&
            zip.add("xl/workbook.xml", workbookPart(model)) &&
            zip.add("xl/_rels/workbook.xml.rels", workbookRelationships(sheets.size())) &&
            zip.add("xl/styles.xml", kStyles);
  for (std::size_t i = 0; ok && i < packedSheets.size(); ++i) ok = zip.add(packedSheets[i]);
  ok = ok && zip.add(sharedStrings) && zip.finish(out);
  if (!ok) error = "the workbook is too large for a ZIP package";
  return ok;
}

}  // namespace xlsx
