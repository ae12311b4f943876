// BIFF8 records of hand-built workbooks: cell kinds, strings across CONTINUE records, workbook
// settings, and damaged or hostile records.
#include "spreadsheet/xls/xls_reader.h"

#include <gtest/gtest.h>

#include "workbook_builder.h"

namespace {

using namespace xls_test;
using xlmodel::CellType;

constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kLabelSst = 0x00FD;

std::string xlsFile(const std::string& globals, const std::vector<SheetStream>& sheets,
                    std::uint16_t version = 0x0600, std::u16string streamName = u"Workbook") {
  return compoundFile({{streamName, workbookStream(minimalGlobals() + globals, sheets, version)}});
}

struct Loaded {
  bool ok = false;
  std::string error;
  xlmodel::Workbook book;
};

Loaded load(const std::string& bytes) {
  Loaded result;
  result.ok = xls::readWorkbook(bytes, result.book, result.error);
  return result;
}

std::u16string textOf(const xlmodel::Workbook& book, const xlmodel::Cell& cell) {
  return book.strings.at(cell.text);
}

std::string formula(std::uint16_t row, std::uint16_t col, const std::string& result) {
  return record(0x0006, cellHeader(row, col) + result + u16le(0) + u32le(0) + u16le(0));
}

std::string specialResult(std::uint8_t kind, std::uint8_t value = 0) {
  return std::string{static_cast<char>(kind), 0, static_cast<char>(value), 0, 0, 0} + u16le(0xFFFF);
}

TEST(XlsReader, ReadsEveryKindOfCellRecord) {
  std::string sheet =
      record(0x0203, cellHeader(0, 0) + f64le(3.25)) +                // NUMBER
      record(0x027E, cellHeader(0, 1) + u32le((1234u << 2) | 0x2)) +  // RK integer
      record(0x027E, cellHeader(0, 2) + u32le((static_cast<std::uint32_t>(-5) << 2) | 0x3)) +
      record(0x00BD, u16le(1) + u16le(3) + u16le(0) + u32le((7u << 2) | 2) + u16le(0) +
                         u32le(0x3FF00000) + u16le(4)) +                        // MULRK 7, 1.0
      record(0x0204, cellHeader(2, 0) + wideString(u"\u4E2D\u6587")) +          // LABEL
      record(0x00D6, cellHeader(2, 1) + compressedString("rich") + u16le(0)) +  // RSTRING
      record(0x0205, cellHeader(3, 0) + std::string("\x01\x00", 2)) +           // TRUE
      record(0x0205, cellHeader(3, 1) + std::string("\x07\x01", 2)) +           // #DIV/0!
      record(0x0201, cellHeader(4, 0)) +                                        // BLANK
      record(0x00BE, u16le(4) + u16le(1) + u16le(0) + u16le(0) + u16le(2)) +    // MULBLANK
      formula(5, 0, f64le(0.30000000000000004)) +
      formula(5, 1, specialResult(0)) + record(0x0207, compressedString("result")) +
      formula(5, 2, specialResult(1, 1)) + formula(5, 3, specialResult(2, 0x2A)) +
      formula(5, 4, specialResult(3));
  Loaded loaded = load(xlsFile("", {{u"Data", sheet}}));
  ASSERT_TRUE(loaded.ok) << loaded.error;
  const auto& book = loaded.book;
  const auto& cells = book.sheets.at(0).cells;
  ASSERT_EQ(cells.size(), 17u);
  auto at = [&](std::size_t i, std::uint32_t row, std::uint32_t col, CellType type) {
    EXPECT_EQ(cells[i].row, row) << i;
    EXPECT_EQ(cells[i].col, col) << i;
    EXPECT_EQ(cells[i].type, type) << i;
    return cells[i];
  };
  EXPECT_EQ(at(0, 0, 0, CellType::Number).number, 3.25);
  EXPECT_EQ(at(1, 0, 1, CellType::Number).number, 1234);
  EXPECT_EQ(at(2, 0, 2, CellType::Number).number, -0.05);
  EXPECT_EQ(at(3, 1, 3, CellType::Number).number, 7);
  EXPECT_EQ(at(4, 1, 4, CellType::Number).number, 1.0);
  EXPECT_EQ(textOf(book, at(5, 2, 0, CellType::String)), u"\u4E2D\u6587");
  EXPECT_EQ(textOf(book, at(6, 2, 1, CellType::String)), u"rich");
  EXPECT_EQ(at(7, 3, 0, CellType::Boolean).number, 1);
  EXPECT_EQ(at(8, 3, 1, CellType::Error).number, 7);
  at(9, 4, 0, CellType::Blank);
  at(10, 4, 1, CellType::Blank);
  at(11, 4, 2, CellType::Blank);
  EXPECT_EQ(at(12, 5, 0, CellType::Number).number, 0.30000000000000004);
  EXPECT_TRUE(cells[12].isFormula);
  EXPECT_EQ(textOf(book, at(13, 5, 1, CellType::String)), u"result");
  EXPECT_EQ(at(14, 5, 2, CellType::Boolean).number, 1);
  EXPECT_EQ(at(15, 5, 3, CellType::Error).number, 0x2A);
  EXPECT_EQ(textOf(book, at(16, 5, 4, CellType::String)), u"");
  EXPECT_TRUE(cells[16].isFormula);
}

TEST(XlsReader, SortsCellsAndKeepsTheLastRecordForAPosition) {
  std::string sheet =
      record(0x0203, cellHeader(2, 0) + f64le(1)) + record(0x0203, cellHeader(0, 5) + f64le(2)) +
      record(0x0203, cellHeader(0, 1) + f64le(3)) + record(0x0203, cellHeader(2, 0) + f64le(4));
  Loaded loaded = load(xlsFile("", {{u"S", sheet}}));
  ASSERT_TRUE(loaded.ok) << loaded.error;
  const auto& cells = loaded.book.sheets[0].cells;
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0].col, 1u);
  EXPECT_EQ(cells[1].col, 5u);
  EXPECT_EQ(cells[2].row, 2u);
  EXPECT_EQ(cells[2].number, 4);
}

TEST(XlsReader, PointsEveryCellAtAnExistingStyle) {
  std::string sheet = record(0x0203, cellHeader(0, 0, 7) + f64le(1));
  Loaded loaded = load(compoundFile({{u"Workbook", workbookStream("", {{u"S", sheet}})}}));
  ASSERT_TRUE(loaded.ok) << loaded.error;
  ASSERT_EQ(loaded.book.xfs.size(), 1u);
  EXPECT_EQ(loaded.book.fonts.size(), 1u);
  EXPECT_EQ(loaded.book.sheets[0].cells.at(0).xf, 0u);
}

TEST(XlsReader, JoinsSharedStringsSplitAcrossContinueRecords) {
  // String 0 starts compressed and goes on wide behind a fresh option byte; string 1 has rich
  // text runs and extended data that spill into the next CONTINUE; string 2 starts there.
  std::string first = u32le(3) + u32le(3) + u16le(6) + '\0' + "abc";
  std::string second = std::string("\x01", 1) + u16le(0x4E2D) + u16le(0x6587) + u16le(0x0021);
  std::string rich = u16le(2) + '\x0C' + u16le(1) + u32le(6) + "xy" + u32le(0) + "ext";
  std::string third = "tra" + compressedString("last");
  std::string globals =
      record(kSst, first) + record(kContinue, second + rich) + record(kContinue, third);
  std::string sheet;
  for (std::uint16_t i = 0; i < 3; ++i) sheet += record(kLabelSst, cellHeader(i, 0) + u32le(i));
  Loaded loaded = load(xlsFile(globals, {{u"S", sheet}}));
  ASSERT_TRUE(loaded.ok) << loaded.error;
  const auto& cells = loaded.book.sheets[0].cells;
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(textOf(loaded.book, cells[0]), u"abc\u4E2D\u6587!");
  EXPECT_EQ(textOf(loaded.book, cells[1]), u"xy");
  EXPECT_EQ(textOf(loaded.book, cells[2]), u"last");
}

TEST(XlsReader, ReadsWorkbookSettingsFormatsFontsAndSheets) {
  std::string font = u16le(280) + u16le(0x0002) + u16le(10) + u16le(700) + std::string(6, '\0') +
                     wideString(u"\u5B8B\u4F53", true);
  std::string globals =
      record(0x0022, u16le(1)) +                                               // 1904 dates
      record(0x041E, u16le(164) + wideString(u"yyyy\"\u5E74\"m\"\u6708\"")) +  // FORMAT
      record(0x0031, font) + record(0x0031, font) + record(0x0031, font) +
      record(0x0031, font) +                                                     // fonts 1..4
      record(0x00E0, u16le(5) + u16le(164) + std::string(16, '\0')) +            // font 5 = 4th
      record(0x003D, std::string(10, '\0') + u16le(2) + std::string(6, '\0')) +  // active tab
      record(0x0092,
             u16le(3) + std::string(8, '\0') + std::string("\x12\x34\x56\x00", 4));  // colour 10
  std::string merged = record(0x00E5, u16le(1) + u16le(1) + u16le(2) + u16le(0) + u16le(3));
  Loaded loaded =
      load(xlsFile(globals, {{u"One", merged + record(0x0203, cellHeader(0, 0, 1) + f64le(1))},
                             {u"Chart", "", 2},
                             {u"\u4E8C", ""}}));
  ASSERT_TRUE(loaded.ok) << loaded.error;
  const auto& book = loaded.book;
  EXPECT_TRUE(book.date1904);
  EXPECT_EQ(book.numFormats.at(164), u"yyyy\"\u5E74\"m\"\u6708\"");
  ASSERT_EQ(book.xfs.size(), 2u);
  EXPECT_EQ(book.xfs[1].numFmtId, 164u);
  ASSERT_EQ(book.xfs[1].font, 4u);
  const xlmodel::Font& used = book.fonts.at(4);
  EXPECT_EQ(used.name, u"\u5B8B\u4F53");
  EXPECT_EQ(used.size, 14);
  EXPECT_TRUE(used.bold);
  EXPECT_TRUE(used.italic);
  EXPECT_EQ(used.color, 0x563412u);    // as 0xBBGGRR
  EXPECT_EQ(book.fonts[0].color, 0u);  // automatic
  ASSERT_EQ(book.sheets.size(), 2u);   // the chart sheet holds no cells
  EXPECT_EQ(book.sheets[1].name, u"\u4E8C");
  EXPECT_EQ(book.activeSheet, 1u);
  EXPECT_EQ(book.sheets[0].mergedRanges, (std::vector<std::uint32_t>{1, 2, 0, 3}));
  EXPECT_EQ(book.sheets[0].cells.at(0).xf, 1u);
}

TEST(XlsReader, SkipsChartsEmbeddedInASheet) {
  std::string chart = record(0x0809, u16le(0x0600) + u16le(0x20) + std::string(12, '\0')) +
                      record(0x0203, cellHeader(9, 9) + f64le(9)) + record(0x000A, "");
  std::string sheet = record(0x0203, cellHeader(0, 0) + f64le(1)) + chart +
                      record(0x0203, cellHeader(1, 0) + f64le(2));
  Loaded loaded = load(xlsFile("", {{u"S", sheet}}));
  ASSERT_TRUE(loaded.ok) << loaded.error;
  ASSERT_EQ(loaded.book.sheets[0].cells.size(), 2u);
  EXPECT_EQ(loaded.book.sheets[0].cells[1].number, 2);
}

TEST(XlsReader, RefusesEncryptedAndOlderWorkbooksByName) {
  Loaded encrypted = load(xlsFile(record(0x002F, u16le(0) + std::string(4, '\0')), {{u"S", ""}}));
  EXPECT_FALSE(encrypted.ok);
  EXPECT_NE(encrypted.error.find("encrypted"), std::string::npos) << encrypted.error;

  // A password-protected .xlsx is a compound file holding the encrypted package.
  Loaded package = load(compoundFile({{u"EncryptionInfo", "info"}, {u"EncryptedPackage", "zip"}}));
  EXPECT_FALSE(package.ok);
  EXPECT_NE(package.error.find("encrypted"), std::string::npos) << package.error;

  Loaded biff5 = load(xlsFile("", {{u"S", ""}}, 0x0500, u"Book"));
  EXPECT_FALSE(biff5.ok);
  EXPECT_NE(biff5.error.find("BIFF5"), std::string::npos) << biff5.error;

  std::string biff4 = record(0x0409, u16le(0) + u16le(0x10) + u16le(0));
  Loaded old = load(compoundFile({{u"Book", biff4 + std::string(100, '\0')}}));
  EXPECT_FALSE(old.ok);
  EXPECT_NE(old.error.find("BIFF4"), std::string::npos) << old.error;
  Loaded bare = load(biff4 + std::string(600, '\0'));
  EXPECT_FALSE(bare.ok);
  EXPECT_NE(bare.error.find("BIFF4"), std::string::npos) << bare.error;

  // Some writers put BIFF8 into a stream called "Book"; its BOF says what it is.
  EXPECT_TRUE(load(xlsFile("", {{u"S", ""}}, 0x0600, u"BOOK")).ok);

  Loaded text = load("just some text, long enough to be more than a header would be");
  EXPECT_FALSE(text.ok);
  EXPECT_FALSE(text.error.empty());
}

TEST(XlsReader, RefusesDamagedRecordsWithAReason) {
  auto refused = [](const std::string& bytes) {
    Loaded loaded = load(bytes);
    EXPECT_FALSE(loaded.error.empty());
    EXPECT_TRUE(loaded.book.sheets.empty());
    return !loaded.ok;
  };
  // A shared-string index beyond the table.
  EXPECT_TRUE(refused(xlsFile(record(kSst, u32le(1) + u32le(1) + compressedString("a")),
                              {{u"S", record(kLabelSst, cellHeader(0, 0) + u32le(1))}})));
  // Short cell records.
  EXPECT_TRUE(refused(xlsFile("", {{u"S", record(0x0203, cellHeader(0, 0) + "1234")}})));
  EXPECT_TRUE(refused(xlsFile("", {{u"S", record(0x0006, cellHeader(0, 0) + f64le(1))}})));
  // A string longer than its record.
  EXPECT_TRUE(
      refused(xlsFile("", {{u"S", record(0x0204, cellHeader(0, 0) + u16le(50) + '\0' + "abc")}})));
  // A record running past the end of the stream.
  EXPECT_TRUE(refused(xlsFile("", {{u"S", u16le(0x0203) + u16le(400) + "short"}})));
  // A sheet whose offset points at no BOF, and two sheets at one offset.
  std::string pointing =
      record(0x0085, u32le(3) + std::string(2, '\0') + compressedString("S", true));
  EXPECT_TRUE(
      refused(compoundFile({{u"Workbook", workbookStream(minimalGlobals() + pointing, {})}})));
  std::string twice = record(0x0085, u32le(0) + std::string(2, '\0') + compressedString("T", true));
  EXPECT_TRUE(refused(compoundFile(
      {{u"Workbook", workbookStream(minimalGlobals() + twice + twice, {{u"S", ""}})}})));
  // No worksheet at all.
  EXPECT_TRUE(refused(compoundFile({{u"Workbook", workbookStream(minimalGlobals(), {})}})));
}

TEST(XlsReader, AHugeDeclaredStringCountCostsOnlyWhatTheDataHolds) {
  std::string bomb = record(kSst, u32le(0xFFFFFFFF) + u32le(0xFFFFFFFF) + compressedString("a"));
  Loaded loaded = load(xlsFile(bomb, {{u"S", record(kLabelSst, cellHeader(0, 0) + u32le(0))}}));
  ASSERT_TRUE(loaded.ok) << loaded.error;
  EXPECT_EQ(textOf(loaded.book, loaded.book.sheets[0].cells[0]), u"a");
  EXPECT_LT(loaded.book.strings.capacity(), 16u);
}

TEST(XlsReader, NeverCrashesOnTruncatedOrCorruptedCopiesOfAWorkbook) {
  std::string sheet = record(0x0204, cellHeader(0, 0) + compressedString("label")) +
                      record(kLabelSst, cellHeader(1, 0) + u32le(0)) +
                      formula(2, 0, specialResult(0)) + record(0x0207, compressedString("x")) +
                      record(0x00BD, u16le(3) + u16le(0) + u16le(0) + u32le(6) + u16le(1));
  std::string globals = record(kSst, u32le(1) + u32le(1) + compressedString("shared"));
  std::string good = xlsFile(globals, {{u"S", sheet}});
  ASSERT_TRUE(load(good).ok);
  for (std::size_t size = 0; size < good.size(); size += 7) load(good.substr(0, size));
  for (std::size_t pos = 0; pos < good.size(); ++pos) {
    std::string damaged = good;
    damaged[pos] = static_cast<char>(damaged[pos] ^ 0xA5);
    Loaded loaded = load(damaged);
    EXPECT_TRUE(loaded.ok || !loaded.error.empty());
  }
}

}  // namespace
