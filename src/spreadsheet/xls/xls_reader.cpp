#include "spreadsheet/xls/xls_reader.h"

#include <algorithm>
#include <exception>
#include <new>

#include "spreadsheet/xl_api.h"
#include "spreadsheet/xls/biff_records.h"
#include "spreadsheet/xls/compound_file.h"
#include "spreadsheet/xls/little_endian.h"
#include "spreadsheet/xls/workbook_globals.h"
#include "spreadsheet/xls/worksheet.h"

namespace xls {
namespace {

constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kBiff5 = 0x0500;
constexpr std::uint16_t kGlobalsSubstream = 0x0005;
constexpr std::uint8_t kWorksheet = 0;

bool findWorkbookStream(std::string_view bytes, std::string& stream, std::string& error) {
  CompoundFile file;
  if (!file.open(bytes, error)) return false;
  // BIFF8 lives in "Workbook"; BIFF5 and some other writers use "Book". The BOF decides.
  int index = file.findStream(u"Workbook");
  if (index < 0) index = file.findStream(u"Book");
  if (index < 0 && file.findStream(u"EncryptedPackage") >= 0) {
    error = "the workbook is encrypted (password protected)";
    return false;
  }
  if (index < 0) {
    error = "the file holds no workbook stream";
    return false;
  }
  return file.readStream(index, stream, error);
}

bool checkBiffVersion(std::string_view stream, std::string& error) {
  if (stream.size() < 8) {
    error = "damaged workbook: the workbook stream is empty";
    return false;
  }
  std::uint16_t id = u16At(stream, 0);
  if (id == record::kBofBiff2 || id == record::kBofBiff3 || id == record::kBofBiff4) {
    error = "unsupported file: Excel 4.0 or older (BIFF2-BIFF4)";
    return false;
  }
  std::uint16_t version = u16At(stream, 4);
  if (id != record::kBof) {
    error = "damaged workbook: the workbook stream does not start with a BOF record";
    return false;
  }
  if (version == kBiff5) {
    error = "unsupported file: Excel 5.0/95 workbook (BIFF5)";
    return false;
  }
  if (version != kBiff8 || u16At(stream, 6) != kGlobalsSubstream) {
    error = "unsupported file: not a BIFF8 workbook";
    return false;
  }
  return true;
}

// Where each sheet's substream may end: at the next sheet's start, so that bad offsets cannot
// make sheets overlap or be read twice.
bool sheetEnds(const std::vector<SheetEntry>& sheets, std::size_t streamSize,
               std::vector<std::size_t>& ends, std::string& error) {
  std::vector<std::size_t> starts;
  for (const SheetEntry& sheet : sheets) starts.push_back(sheet.offset);
  std::sort(starts.begin(), starts.end());
  if (std::adjacent_find(starts.begin(), starts.end()) != starts.end()) {
    error = "damaged workbook: two sheets share one place in the file";
    return false;
  }
  ends.clear();
  for (const SheetEntry& sheet : sheets) {
    auto next = std::upper_bound(starts.begin(), starts.end(), sheet.offset);
    ends.push_back(next == starts.end() ? streamSize : *next);
  }
  return true;
}

bool readBiff8(std::string_view stream, xlmodel::Workbook& book, std::string& error) {
  Globals globals;
  if (!checkBiffVersion(stream, error) || !readGlobals(stream, book, globals, error)) return false;
  std::vector<std::size_t> ends;
  if (!sheetEnds(globals.sheets, stream.size(), ends, error)) return false;
  for (std::size_t i = 0; i < globals.sheets.size(); ++i) {
    const SheetEntry& entry = globals.sheets[i];
    if (entry.type != kWorksheet) continue;  // charts, macro sheets and modules hold no cells
    if (i == globals.activeTab) book.activeSheet = static_cast<std::uint32_t>(book.sheets.size());
    xlmodel::Sheet sheet;
    sheet.name = entry.name;
    if (!readWorksheet(stream, entry.offset, ends[i], globals.sharedStringCount, book, sheet,
                       error)) {
      return false;
    }
    book.sheets.push_back(std::move(sheet));
  }
  if (book.sheets.empty()) {
    error = "the workbook has no worksheet";
    return false;
  }
  return true;
}

}  // namespace

bool looksLikeCompoundFile(std::string_view bytes) {
  return bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

bool readWorkbook(std::string_view bytes, xlmodel::Workbook& book, std::string& error) {
  book = xlmodel::Workbook{};
  try {
    std::string stream;
    if (!looksLikeCompoundFile(bytes)) {
      // Excel 4.0 and older wrote bare BIFF records with no container around them.
      std::uint16_t first = bytes.size() >= 2 ? u16At(bytes, 0) : 0;
      bool oldBiff =
          first == record::kBofBiff2 || first == record::kBofBiff3 || first == record::kBofBiff4;
      error = oldBiff ? "unsupported file: Excel 4.0 or older (BIFF2-BIFF4)"
                      : XL_NOT_XLS_REASON " (no OLE compound file)";
      return false;
    }
    if (findWorkbookStream(bytes, stream, error) && readBiff8(stream, book, error)) return true;
  } catch (const std::bad_alloc&) {
    error = "not enough memory to read the workbook";
  } catch (const std::exception& e) {
    error = std::string("cannot read the workbook: ") + e.what();
  }
  book = xlmodel::Workbook{};
  return false;
}

}  // namespace xls
