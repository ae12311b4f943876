#include "spreadsheet/xlsx/xlsx_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <string_view>

#include "spreadsheet/book_object.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "spreadsheet/xlsx/zip_archive.h"
#include "spreadsheet/xlsx/zip_writer.h"

namespace {

std::u16string readBack(const xlmodel::Workbook& model, std::uint32_t cell) {
  const auto& c = model.sheets[0].cells.at(cell);
  return c.type == xlmodel::CellType::String ? model.strings.at(c.text) : u"<not a string>";
}

// The CRC-32 that the package's central directory gives for the part `name`.
std::uint32_t storedCrc(const std::string& package, std::string_view name) {
  auto le = [&](std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | std::uint8_t(package[at + i]);
    return v;
  };
  for (std::size_t at = package.find("PK\x01\x02"); at != std::string::npos;
       at = package.find("PK\x01\x02", at + 4)) {
    if (package.compare(at + 46, le(at + 28, 2), name) == 0 && le(at + 28, 2) == name.size())
      return le(at + 16, 4);
  }
  return 0;
}

TEST(ZipWriter, PartsComeBackThroughTheReader) {
  xlsx::ZipWriter zip;
  const std::string big(100000, 'a'), tiny = "x";
  // Large enough to be deflated in pieces on several threads: joined, they must be one stream
  // with one CRC.
  const std::string large = [] {
    std::string text;
    for (std::uint32_t i = 0; text.size() < (9u << 20); ++i)
      text += "<si><t>" + std::to_string(i * 2654435761u) + "</t></si>";
    return text;
  }();
  ASSERT_TRUE(zip.add("big.xml", big));
  ASSERT_TRUE(zip.add("large.xml", large));
  ASSERT_TRUE(zip.add("tiny.xml", tiny));  // stored: deflate would make it larger
  ASSERT_TRUE(zip.add("empty.xml", ""));
  std::string package, error;
  ASSERT_TRUE(zip.finish(package));
  EXPECT_LT(package.size(), large.size() / 2);

  xlsx::ZipArchive archive;
  ASSERT_TRUE(archive.open(package, error)) << error;
  ASSERT_EQ(archive.entries().size(), 4u);
  for (auto [name, content] :
       {std::pair{"big.xml", &big}, std::pair{"large.xml", &large}, std::pair{"tiny.xml", &tiny}}) {
    std::string out;
    ASSERT_TRUE(archive.readAll(*archive.find(name), 16 << 20, out, error)) << error;
    EXPECT_EQ(out, *content);
    // The reader does not check CRCs, but other readers do.
    EXPECT_EQ(storedCrc(package, name),
              crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size())))
        << name;
  }
}

TEST(XlsxWriter, EscapesWhatXmlCannotHoldAndWhatReadersWouldUndo) {
  std::string out;
  xlsx::appendEscapedText(u"a<b>&c\r\n\t\x01_x0041_ _x12_ \xFFFF", out);
  EXPECT_EQ(out, "a&lt;b&gt;&amp;c&#13;\n\t_x0001__x005F_x0041_ _x12_ _xFFFF_");
  out.clear();
  xlsx::appendEscapedText(u"\xD800 lone, \xD83D\xDE00 paired", out);
  EXPECT_EQ(out, "\xEF\xBF\xBD lone, \xF0\x9F\x98\x80 paired");
}

TEST(XlsxWriter, BookWrittenCellByCellReadsBackExactly) {
  XlBookObject book(xlbook::Kind::Xlsx);
  ASSERT_NE(book.addSheet(u"题库 & <1>"), nullptr);
  const std::u16string hostile[] = {
      u"  leading and trailing  ", u"line\r\nbreaks\nand\ttabs",
      u"<b>&amp;</b> \"quotes\"",  u"control\x01\x1F chars",
      u"_x0041_ literal",          std::u16string(xlsx::kMaxCellText, u'问')};
  std::uint32_t row = 0;
  for (const auto& text : hostile) ASSERT_TRUE(book.writeString(0, row++, 1, text));
  // Out of order and over an earlier cell: the sheet stays sorted, the last text wins.
  ASSERT_TRUE(book.writeString(0, 0, 0, u"first"));
  ASSERT_TRUE(book.writeString(0, 0, 0, u"again"));
  EXPECT_FALSE(book.writeString(0, 9, 0, std::u16string(xlsx::kMaxCellText + 1, u'a')));

  std::string package;
  ASSERT_TRUE(book.saveXlsx(package)) << std::string(book.error.begin(), book.error.end());
  XlBookObject reader(xlbook::Kind::Xlsx);
  ASSERT_TRUE(reader.load(package));
  const auto& model = reader.model;
  ASSERT_EQ(model.sheets.size(), 1u);
  EXPECT_EQ(model.sheets[0].name, u"题库 & <1>");
  ASSERT_EQ(model.sheets[0].cells.size(), std::size(hostile) + 1);
  EXPECT_EQ(readBack(model, 0), u"again");
  for (std::size_t i = 0; i < std::size(hostile); ++i)
    EXPECT_EQ(readBack(model, std::uint32_t(i + 1)), hostile[i]) << i;
}

TEST(XlsxWriter, RefusesWhatNoReaderWouldOpen) {
  XlBookObject book(xlbook::Kind::Xlsx);
  std::string package;
  EXPECT_FALSE(book.saveXlsx(package));  // no sheet
  EXPECT_EQ(book.addSheet(u""), nullptr);
  ASSERT_NE(book.addSheet(u"Sheet1"), nullptr);
  EXPECT_FALSE(book.writeString(0, 1048576, 0, u"below the grid"));
  EXPECT_FALSE(book.writeString(0, 0, 16384, u"right of the grid"));
  EXPECT_TRUE(book.saveXlsx(package));
}

}  // namespace
