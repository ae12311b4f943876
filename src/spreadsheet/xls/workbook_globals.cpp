#include "spreadsheet/xls/workbook_globals.h"

#include <algorithm>

#include "spreadsheet/xls/biff_records.h"
#include "spreadsheet/xls/biff_strings.h"
#include "spreadsheet/xls/little_endian.h"
#include "spreadsheet/xls/palette.h"

namespace xls {
namespace {

// Font 4 is never written: indexes above it are one too high.
constexpr std::uint16_t kMissingFontIndex = 4;
constexpr std::uint16_t kBoldWeight = 700;
constexpr std::uint16_t kItalicFlag = 0x0002;

bool readSharedStrings(const Record& sst, RecordReader& reader, xlmodel::Workbook& book,
                       Globals& globals, std::string& error) {
  if (sst.data.size() < 8) {
    error = "damaged workbook: shared string table too short";
    return false;
  }
  std::uint32_t declared = u32At(sst.data, 4);
  std::vector<std::string_view> segments{sst.data.substr(8)};
  reader.takeContinues(segments);
  std::size_t bytes = 0;
  for (std::string_view segment : segments) bytes += segment.size();
  // Every string takes at least three bytes, so the data caps what the declared count can ask.
  book.strings.reserve(std::min<std::size_t>(declared, bytes / 3));
  SegmentedReader strings(std::move(segments));
  std::u16string text;
  for (std::uint32_t i = 0; i < declared && !strings.atEnd(); ++i) {
    if (!strings.readUnicodeString(text)) {
      error = "damaged workbook: shared string " + std::to_string(i) + " is cut short";
      return false;
    }
    book.strings.push_back(text);
  }
  globals.sharedStringCount = book.strings.size();
  return true;
}

bool readFont(std::string_view data, xlmodel::Font& font, std::uint16_t& colorIndex) {
  if (data.size() < 16) return false;
  font.size = u16At(data, 0) / 20.0;
  font.italic = (u16At(data, 2) & kItalicFlag) != 0;
  colorIndex = u16At(data, 4);
  font.bold = u16At(data, 6) >= kBoldWeight;
  SegmentedReader name({data.substr(14)});
  return name.readUnicodeString(font.name, true);
}

bool readBoundSheet(std::string_view data, SheetEntry& sheet) {
  if (data.size() < 8) return false;
  sheet.offset = u32At(data, 0);
  sheet.type = byteAt(data, 5);
  SegmentedReader name({data.substr(6)});
  return name.readUnicodeString(sheet.name, true);
}

bool readFormat(const Record& format, RecordReader& reader, xlmodel::Workbook& book) {
  if (format.data.size() < 5) return false;
  std::vector<std::string_view> segments{format.data.substr(2)};
  reader.takeContinues(segments);
  SegmentedReader code(std::move(segments));
  std::u16string text;
  if (!code.readUnicodeString(text)) return false;
  book.numFormats[u16At(format.data, 0)] = std::move(text);
  return true;
}

}  // namespace

bool readGlobals(std::string_view stream, xlmodel::Workbook& book, Globals& globals,
                 std::string& error) {
  RecordReader reader(stream, 0, stream.size());
  Record rec;
  reader.next(rec);  // the BOF, checked by the caller
  Palette palette;
  std::vector<std::uint16_t> fontColors;
  bool sawEof = false;
  bool sawSst = false;
  while (!sawEof && reader.next(rec)) {
    std::string_view data = rec.data;
    switch (rec.id) {
      case record::kFilePass:
        error = "the workbook is encrypted (password protected)";
        return false;
      case record::kBof:
        error = "damaged workbook: a substream starts inside the workbook globals";
        return false;
      case record::kEof:
        sawEof = true;
        break;
      case record::kDateMode:
        book.date1904 = data.size() >= 2 && u16At(data, 0) == 1;
        break;
      case record::kWindow1:
        if (data.size() >= 12) globals.activeTab = u16At(data, 10);
        break;
      case record::kPalette:
        palette.load(data);
        break;
      case record::kFont: {
        xlmodel::Font font;
        std::uint16_t colorIndex = 0;
        if (!readFont(data, font, colorIndex)) {
          error = "damaged workbook: bad FONT record";
          return false;
        }
        book.fonts.push_back(std::move(font));
        fontColors.push_back(colorIndex);
        break;
      }
      case record::kXf:
        if (data.size() >= 4) {
          std::uint16_t font = u16At(data, 0);
          if (font > kMissingFontIndex) --font;
          book.xfs.push_back({u16At(data, 2), font});
        }
        break;
      case record::kFormat:
        if (!readFormat(rec, reader, book)) {
          error = "damaged workbook: bad FORMAT record";
          return false;
        }
        break;
      case record::kBoundSheet: {
        SheetEntry sheet;
        if (!readBoundSheet(data, sheet)) {
          error = "damaged workbook: bad BOUNDSHEET record";
          return false;
        }
        globals.sheets.push_back(std::move(sheet));
        break;
      }
      case record::kSst:
        // Cells index the first table; a second one is ignored.
        if (sawSst) break;
        sawSst = true;
        if (!readSharedStrings(rec, reader, book, globals, error)) return false;
        break;
      default:
        break;
    }
  }
  if (reader.truncated()) {
    error = "damaged workbook: a record runs past the end of the stream";
    return false;
  }
  for (std::size_t i = 0; i < book.fonts.size(); ++i)
    book.fonts[i].color = palette.bgr(fontColors[i]);
  // Cells and styles always have something to point to, even in files without styles.
  if (book.fonts.empty()) book.fonts.emplace_back();
  if (book.xfs.empty()) book.xfs.emplace_back();
  for (xlmodel::Xf& xf : book.xfs) {
    if (xf.font >= book.fonts.size()) xf.font = 0;
  }
  return true;
}

}  // namespace xls
