#include "spreadsheet/xlsx/xlsx_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>
#include <vector>

#include "spreadsheet/xlsx/parts.h"
#include "spreadsheet/xlsx/xml_tokenizer.h"
#include "spreadsheet/xlsx/zip_archive.h"
#include "zip_builder.h"

namespace {

const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string packageRels(const std::string& workbookTarget, const std::string& ns = kRel) {
  return "<Relationships><Relationship Id=\"rId1\" Type=\"" + ns + "/officeDocument\" Target=\"" +
         workbookTarget + "\"/></Relationships>";
}

std::string workbookXml(const std::string& extra = "") {
  return std::string("<workbook xmlns=\"") + kMain + "\" xmlns:r=\"" + kRel + "\">" + extra +
         "<sheets><sheet name=\"First\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
}

std::string workbookRels(bool withStrings = true) {
  std::string rels = std::string("<Relationships><Relationship Id=\"rId1\" Type=\"") + kRel +
                     "/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
  if (withStrings)
    rels += std::string("<Relationship Id=\"rId2\" Type=\"") + kRel +
            "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
  return rels + "</Relationships>";
}

std::string sheetXml(const std::string& rows) {
  return std::string("<worksheet xmlns=\"") + kMain + "\"><sheetData>" + rows +
         "</sheetData></worksheet>";
}

// A package with one sheet at the usual paths.
std::string package(const std::string& rows, const std::string& strings = "",
                    const std::string& workbookExtra = "") {
  ZipBuilder zip;
  zip.add("_rels/.rels", packageRels("xl/workbook.xml"))
      .add("xl/workbook.xml", workbookXml(workbookExtra))
      .add("xl/_rels/workbook.xml.rels", workbookRels(!strings.empty()))
      .add("xl/worksheets/sheet1.xml", sheetXml(rows));
  if (!strings.empty()) zip.add("xl/sharedStrings.xml", "<sst>" + strings + "</sst>");
  return zip.build();
}

xlmodel::Workbook read(const std::string& bytes) {
  xlmodel::Workbook book;
  std::string error;
  EXPECT_TRUE(xlsx::readWorkbook(bytes, book, error)) << error;
  return book;
}

std::string refusal(const std::string& bytes) {
  xlmodel::Workbook book;
  std::string error;
  EXPECT_FALSE(xlsx::readWorkbook(bytes, book, error));
  EXPECT_TRUE(book.sheets.empty());
  return error;
}

const xlmodel::Cell* at(const xlmodel::Workbook& book, std::uint32_t row, std::uint32_t col) {
  for (const auto& cell : book.sheets.at(0).cells)
    if (cell.row == row && cell.col == col) return &cell;
  return nullptr;
}

std::u16string textAt(const xlmodel::Workbook& book, std::uint32_t row, std::uint32_t col) {
  auto* cell = at(book, row, col);
  if (!cell || cell->type != xlmodel::CellType::String) return u"<none>";
  return book.strings.at(cell->text);
}

TEST(XlsxReader, ReadsEveryCellKind) {
  auto book = read(
      package("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" "
              "t=\"str\"><f>A1</f><v>a&amp;b</v></c>"
              "<c r=\"C1\" t=\"inlineStr\"><is><t>in</t></is></c><c r=\"D1\" t=\"b\"><v>1</v></c>"
              "<c r=\"E1\" t=\"e\"><v>#DIV/0!</v></c><c r=\"F1\"><v>0.30000000000000004</v></c>"
              "<c r=\"G1\" t=\"d\"><v>2023-01-05T13:30:00</v></c><c r=\"H1\" s=\"0\"/></row>",
              "<si><t>shared</t></si>"));
  EXPECT_EQ(textAt(book, 0, 0), u"shared");
  EXPECT_EQ(textAt(book, 0, 1), u"a&b");
  EXPECT_TRUE(at(book, 0, 1)->isFormula);
  EXPECT_EQ(textAt(book, 0, 2), u"in");
  EXPECT_EQ(at(book, 0, 3)->type, xlmodel::CellType::Boolean);
  EXPECT_EQ(at(book, 0, 3)->number, 1);
  EXPECT_EQ(at(book, 0, 4)->type, xlmodel::CellType::Error);
  EXPECT_EQ(at(book, 0, 4)->number, 0x07);
  EXPECT_EQ(at(book, 0, 5)->number, 0.30000000000000004);
  EXPECT_NEAR(at(book, 0, 6)->number, 44931.5625, 1e-9);
  EXPECT_EQ(at(book, 0, 7)->type, xlmodel::CellType::Blank);
}

TEST(XlsxReader, PlacesCellsWithoutOrWithLowerCaseReferences) {
  auto book =
      read(package("<row><c><v>1</v></c><c><v>2</v></c></row><row r=\"5\"><c r=\"c5\"><v>3</v></c>"
                   "<c><v>4</v></c></row><row><c r=\"B6\"><v>5</v></c></row>"));
  EXPECT_EQ(at(book, 0, 0)->number, 1);
  EXPECT_EQ(at(book, 0, 1)->number, 2);
  EXPECT_EQ(at(book, 4, 2)->number, 3);
  EXPECT_EQ(at(book, 4, 3)->number, 4);
  EXPECT_EQ(at(book, 5, 1)->number, 5);
}

TEST(XlsxReader, KeepsCellsSortedAndLastWriteWins) {
  auto book =
      read(package("<row r=\"3\"><c r=\"B3\"><v>1</v></c></row>"
                   "<row r=\"1\"><c r=\"A1\"><v>2</v></c><c r=\"A1\"><v>3</v></c></row>"));
  const auto& cells = book.sheets[0].cells;
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0].row, 0u);
  EXPECT_EQ(cells[0].number, 3);
  EXPECT_EQ(cells[1].row, 2u);
}

TEST(XlsxReader, SharedStringsJoinRunsSkipPhoneticsAndDecodeEscapes) {
  auto book =
      read(package("<row><c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c>"
                   "<c t=\"s\"><v>2</v></c><c t=\"s\"><v>7</v></c></row>",
                   "<si><r><rPr><b/></rPr><t>ri</t></r><r><t>ch</t></r>"
                   "<rPh><t>ignored</t></rPh></si>"
                   "<si><t>a_x000D_b_x005F_x0041_</t></si>"
                   "<si><t><![CDATA[<x>]]></t></si>"));
  EXPECT_EQ(textAt(book, 0, 0), u"rich");
  EXPECT_EQ(textAt(book, 0, 1), u"a\rb_x0041_");
  EXPECT_EQ(textAt(book, 0, 2), u"<x>");
  // An index past the shared strings is a blank cell, not a crash.
  EXPECT_EQ(at(book, 0, 3)->type, xlmodel::CellType::Blank);
}

TEST(XlsxReader, ReadsStylesAndDateSystem) {
  ZipBuilder zip;
  zip.add("_rels/.rels", packageRels("xl/workbook.xml"))
      .add("xl/workbook.xml", workbookXml("<workbookPr date1904=\"true\"/>"))
      .add("xl/_rels/workbook.xml.rels",
           std::string("<Relationships><Relationship Id=\"rId1\" Type=\"") + kRel +
               "/worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/><Relationship Id=\"rId3\" "
               "Type=\"" +
               kRel + "/styles\" Target=\"styles.xml\"/></Relationships>")
      .add("xl/worksheets/sheet1.xml", sheetXml("<row><c s=\"1\"><v>1</v></c></row>"))
      .add("xl/styles.xml",
           "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy&quot;年&quot;\"/>"
           "</numFmts><fonts><font><b/><sz val=\"12\"/><color rgb=\"FF112233\"/><name "
           "val=\"Arial\"/>"
           "</font></fonts><cellStyleXfs><xf numFmtId=\"3\"/></cellStyleXfs>"
           "<cellXfs><xf numFmtId=\"0\" fontId=\"0\"/><xf numFmtId=\"164\" fontId=\"0\"/></cellXfs>"
           "<dxfs><dxf><font><i/></font><numFmt numFmtId=\"170\" formatCode=\"x\"/></dxf></dxfs>"
           "</styleSheet>");
  auto book = read(zip.build());
  EXPECT_TRUE(book.date1904);
  ASSERT_EQ(book.xfs.size(), 2u);
  EXPECT_EQ(book.xfs[1].numFmtId, 164u);
  EXPECT_EQ(book.numFormats.size(), 1u);
  EXPECT_EQ(book.numFormats[164], u"yyyy\"年\"");
  ASSERT_EQ(book.fonts.size(), 1u);
  EXPECT_TRUE(book.fonts[0].bold);
  EXPECT_FALSE(book.fonts[0].italic);
  EXPECT_EQ(book.fonts[0].name, u"Arial");
  EXPECT_EQ(book.fonts[0].color, 0x112233u);
}

TEST(XlsxReader, FindsPartsThroughRelationshipsWhereverTheyAre) {
  // Strict namespaces, a workbook part away from xl/, backslashes in the package.
  const std::string strict = "http://purl.oclc.org/ooxml/officeDocument/relationships";
  ZipBuilder zip;
  zip.add("_rels\\.rels", packageRels("/book/main.xml", strict))
      .add("book\\main.xml",
           "<x:workbook xmlns:x=\"http://purl.oclc.org/ooxml/spreadsheetml/main\"><x:sheets>"
           "<x:sheet name=\"S\" sheetId=\"1\" r:id=\"rId7\"/></x:sheets></x:workbook>")
      .add("book/_rels/main.xml.rels",
           "<Relationships><Relationship Id=\"rId7\" Type=\"" + strict +
               "/worksheet\" Target=\"../data/one.xml\"/></Relationships>")
      .add("data/one.xml",
           "<x:worksheet xmlns:x=\"s\"><x:sheetData><x:row><x:c t=\"inlineStr\">"
           "<x:is><x:t>found</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>");
  auto book = read(zip.build());
  ASSERT_EQ(book.sheets.size(), 1u);
  EXPECT_EQ(book.sheets[0].name, u"S");
  EXPECT_EQ(textAt(book, 0, 0), u"found");
}

// Tens of thousands of sheet entries, each matched to its relationship: the last entries find
// theirs as the first do, a repeated Id goes to its first relationship, and the whole workbook
// loads well inside a bound that only a reader slowing down with every entry would pass.
TEST(XlsxReader, ManySheetEntriesEachFindTheirPartAtOnce) {
  constexpr int kSheets = 60000;
  std::string sheets, rels;
  for (int i = 1; i <= kSheets; ++i) {
    const std::string n = std::to_string(i);
    sheets += "<sheet name=\"S" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
    // Only the first and last entries have a part; the rest point at one that is missing.
    const std::string target =
        i == 1 || i == kSheets ? "worksheets/sheet" + n + ".xml" : "worksheets/missing.xml";
    rels += std::string("<Relationship Id=\"rId") + n + "\" Type=\"" + kRel +
            "/worksheet\" Target=\"" + target + "\"/>";
  }
  rels += std::string("<Relationship Id=\"rId1\" Type=\"") + kRel +
          "/worksheet\" Target=\"worksheets/sheet" + std::to_string(kSheets) + ".xml\"/>";
  ZipBuilder zip;
  zip.add("_rels/.rels", packageRels("xl/workbook.xml"))
      .add("xl/workbook.xml", std::string("<workbook xmlns=\"") + kMain + "\" xmlns:r=\"" + kRel +
                                  "\"><sheets>" + sheets + "</sheets></workbook>")
      .add("xl/_rels/workbook.xml.rels", "<Relationships>" + rels + "</Relationships>")
      .add("xl/worksheets/sheet1.xml",
           sheetXml("<row><c t=\"inlineStr\"><is><t>first</t></is></c></row>"))
      .add("xl/worksheets/sheet" + std::to_string(kSheets) + ".xml",
           sheetXml("<row><c t=\"inlineStr\"><is><t>last</t></is></c></row>"));
  const std::string bytes = zip.build();

  const auto start = std::chrono::steady_clock::now();
  xlmodel::Workbook book = read(bytes);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 5.0) << "does not finish in time";
  ASSERT_EQ(book.sheets.size(), std::size_t(kSheets));
  ASSERT_EQ(book.sheets.front().cells.size(), 1u);
  EXPECT_EQ(book.strings.at(book.sheets.front().cells[0].text), u"first");
  EXPECT_TRUE(book.sheets[1].cells.empty());
  ASSERT_EQ(book.sheets.back().cells.size(), 1u);
  EXPECT_EQ(book.sheets.back().name, u"S60000");
}

TEST(XlsxReader, RefusesDamagedAndHostilePackages) {
  EXPECT_NE(refusal("").find("ZIP"), std::string::npos);
  EXPECT_NE(refusal(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'))
                .find("OLE"),
            std::string::npos);
  EXPECT_NE(refusal(ZipBuilder().add("test.txt", "hello").build()).find("workbook"),
            std::string::npos);

  std::string bytes = package("<row><c><v>1</v></c></row>");
  bytes.resize(bytes.size() - 30);  // the end of the central directory is gone
  refusal(bytes);

  // Entity definitions could expand without bound.
  EXPECT_NE(refusal(package("<row/>", "<!DOCTYPE x [<!ENTITY a \"aaaa\">]><si><t>&a;</t></si>"))
                .find("document type"),
            std::string::npos);
  // A shared string longer than any cell holds (the shared-strings bomb).
  EXPECT_NE(
      refusal(package("<row/>", "<si><t>" + std::string(40000, 'x') + "</t></si>")).find("longer"),
      std::string::npos);
  refusal(package("<row><c><v>1</v></c></row><row><c r=\"A2\""));  // ends inside a tag
}

TEST(XlsxReader, CellsOutsideTheGridAreSkippedNeverPutOverTheHeader) {
  auto book = read(
      package("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>head</t></is></c>"
              "<c r=\"XFD1\"><v>1</v></c></row>"
              // References that name no cell: row 0, negative, past the last row, past 32 bits,
              // column XFE and beyond; a reference-less cell after one of them has no place either.
              "<row r=\"2\"><c r=\"A0\"><v>10</v></c><c r=\"B-5\"><v>11</v></c>"
              "<c r=\"A99999999\"><v>12</v></c><c r=\"A4294967298\"><v>13</v></c>"
              "<c r=\"XFE2\"><v>14</v></c><c><v>15</v></c><c r=\"AAAA2\"><v>16</v></c>"
              "<c r=\"A1048577\"><v>17</v></c><c r=\"C2\"><v>2</v></c><c><v>3</v></c></row>"
              // Rows that name no row of the grid: their reference-less cells go nowhere, their
              // referenced ones where they say, and the next row counts on from the last good one.
              "<row r=\"0\"><c><v>20</v></c><c r=\"B3\"><v>4</v></c></row>"
              "<row r=\"-5\"><c><v>21</v></c></row><row r=\"4294967298\"><c><v>22</v></c></row>"
              "<row><c><v>5</v></c></row>"
              "<row r=\"1048576\"><c><v>6</v></c></row><row><c><v>23</v></c></row>"));
  const auto& cells = book.sheets[0].cells;
  std::vector<std::tuple<std::uint32_t, std::uint32_t, double>> placed;
  for (const auto& cell : cells)
    if (cell.type == xlmodel::CellType::Number)
      placed.emplace_back(cell.row, cell.col, cell.number);
  EXPECT_EQ(placed,
            (std::vector<std::tuple<std::uint32_t, std::uint32_t, double>>{
                {0, 16383, 1}, {1, 2, 2}, {1, 3, 3}, {2, 0, 5}, {2, 1, 4}, {1048575, 0, 6}}));
  EXPECT_EQ(textAt(book, 0, 0), u"head");
}

TEST(XlsxReader, EscapedAndRawNulsAreDroppedWithoutCuttingTheText) {
  auto book =
      read(package("<row><c t=\"s\"><v>0</v></c><c t=\"inlineStr\"><is><t>c_x0000_d</t></is></c>"
                   "<c t=\"str\"><f>X</f><v>_x0000_e_x0000_</v></c></row>",
                   "<si><t>a_x0000_b_x0041_</t></si>"));
  EXPECT_EQ(textAt(book, 0, 0), u"abA");
  EXPECT_EQ(textAt(book, 0, 1), u"cd");
  EXPECT_EQ(textAt(book, 0, 2), u"e");
  std::u16string text;
  xlsx::appendXmlText(std::string_view("x\0y&#0;\xC0\x80z", 10), text);  // NUL, overlong NUL
  EXPECT_EQ(text, u"xy&#0;z");
}

// Sets the unpacked size that an entry's directory record declares.
void declareSize(std::string& zip, const std::string& name, std::uint32_t size) {
  for (auto at = zip.find("PK\x01\x02"); at != std::string::npos;
       at = zip.find("PK\x01\x02", at + 4)) {
    if (zip.compare(at + 46, name.size(), name) != 0) continue;
    for (int i = 0; i < 4; ++i)
      zip[at + 24 + static_cast<std::size_t>(i)] = static_cast<char>(size >> (8 * i));
    return;
  }
  FAIL() << "no entry " << name;
}

TEST(XlsxReader, RefusesZipBombsWithoutInflatingThem) {
  // A sheet that says it unpacks to nearly 4 GB is refused before any inflating.
  std::string bytes = package("<row><c><v>1</v></c></row>");
  declareSize(bytes, "xl/worksheets/sheet1.xml", 0xFFFFFFF0u);
  EXPECT_NE(refusal(bytes).find("too large"), std::string::npos);
  // One that says little and unpacks to more is refused as soon as it passes what it said.
  bytes = package("<row><c><v>1</v></c></row>" + std::string(1 << 20, ' '));
  declareSize(bytes, "xl/worksheets/sheet1.xml", 4096);
  EXPECT_NE(refusal(bytes).find("declares"), std::string::npos);
}

TEST(ZipArchive, AllPartsTogetherStayWithinTheUnpackLimit) {
  const std::string megabyte(1 << 20, 'a');  // a few hundred bytes deflated
  ZipBuilder builder;
  for (const char* name : {"a", "b", "c"}) builder.add(name, megabyte);
  std::string bytes = builder.build();
  xlsx::ZipArchive zip((5u << 20) / 2);
  std::string error, out;
  ASSERT_TRUE(zip.open(bytes, error)) << error;
  EXPECT_TRUE(zip.readAll(*zip.find("a"), 1u << 30, out, error)) << error;
  EXPECT_TRUE(zip.readAll(*zip.find("b"), 1u << 30, out, error)) << error;
  EXPECT_FALSE(zip.readAll(*zip.find("c"), 1u << 30, out, error));
  EXPECT_NE(error.find("package"), std::string::npos);
}

TEST(ZipArchive, RefusesTruncatedCompressedData) {
  std::string content(100000, 'q');
  std::string bytes = ZipBuilder().add("a.xml", content).build();
  xlsx::ZipArchive zip;
  std::string error;
  ASSERT_TRUE(zip.open(bytes, error)) << error;
  std::string out;
  ASSERT_TRUE(zip.readAll(*zip.find("A.XML"), 1 << 20, out, error)) << error;
  EXPECT_EQ(out, content);
  EXPECT_FALSE(zip.readAll(*zip.find("a.xml"), 1000, out, error));  // over the cap
  EXPECT_NE(error.find("too large"), std::string::npos);

  // Cut the deflated data short while keeping the directory consistent.
  auto entry = *zip.find("a.xml");
  entry.compressedSize /= 2;
  EXPECT_FALSE(zip.readAll(entry, 1 << 20, out, error));
}

}  // namespace
