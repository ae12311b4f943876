// The text formats banks travel in: CSV, text blocks and their encodings, as the import reads
// them and the export writes them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/bank_export.h"
#include "import/block_text_format.h"
#include "import/csv_format.h"
#include "import/memory_table.h"
#include "import/text_encoding.h"
#include "import/text_table_loader.h"
#include "platform/cp936.h"

namespace {

using importer::TextFileKind;

std::vector<importer::CsvRecord> csv(std::string_view text) {
  std::vector<importer::CsvRecord> records;
  std::string problem;
  EXPECT_TRUE(importer::parseCsv(text, records, problem)) << problem;
  return records;
}

// Question and answer of each table row, as UTF-8.
std::vector<std::pair<std::string, std::string>> loaded(std::string_view bytes, TextFileKind kind,
                                                        std::string* problem = nullptr) {
  auto table = importer::MemoryTable::withImportColumns();
  auto result = importer::loadTextIntoTable(bytes, kind, table);
  if (problem) *problem = result.problem;
  std::vector<std::pair<std::string, std::string>> rows;
  if (!result.ok) return rows;
  for (int row = 0; row < table.rowCount(); ++row)
    rows.emplace_back(cp936::toUtf8(table.cell(row, importer::kQuestionColumn)),
                      cp936::toUtf8(table.cell(row, importer::kAnswerColumn)));
  return rows;
}

using Rows = std::vector<std::pair<std::string, std::string>>;

TEST(Csv, QuotedFieldsHoldSeparatorsQuotesAndLineBreaks) {
  auto records = csv("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\n\"two\r\nlines\",,\"\"\nlast");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0], (importer::CsvRecord{"a", "b,c", "say \"hi\""}));
  EXPECT_EQ(records[1], (importer::CsvRecord{"two\r\nlines", "", ""}));
  EXPECT_EQ(records[2], (importer::CsvRecord{"last"}));
  // Quotes inside unquoted fields stay as they are, as spreadsheet programs read them.
  EXPECT_EQ(csv("5\" disk,x\n")[0], (importer::CsvRecord{"5\" disk", "x"}));
}

TEST(Csv, AnUnclosedQuoteIsRefusedNamingItsLine) {
  std::vector<importer::CsvRecord> records;
  std::string problem;
  EXPECT_FALSE(importer::parseCsv("a,b\nc,\"never\nends", records, problem));
  EXPECT_NE(problem.find("line 2"), std::string::npos) << problem;
}

TEST(Csv, WrittenFieldsParseBackExactly) {
  const std::vector<std::string> fields = {"plain",  " lead", "trail ", "a,b",       "q\"q",
                                           "r\rn\n", "",      "\"",     "中文，标点"};
  std::string out;
  std::vector<std::string_view> views(fields.begin(), fields.end());
  importer::appendCsvRecord(views, out);
  importer::appendCsvRecord(views, out);
  auto records = csv(out);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], fields);
  EXPECT_EQ(records[1], fields);
}

TEST(TextEncoding, Utf8WithOrWithoutMarkThenStrictGbkElseRefused) {
  auto decoded = importer::decodeTextFile("\xEF\xBB\xBF题目");
  EXPECT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.utf8, "题目");
  decoded = importer::decodeTextFile(cp936::fromUtf8("题目，答案"));
  EXPECT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.encoding, importer::TextEncoding::gbk);
  EXPECT_EQ(decoded.utf8, "题目，答案");

  EXPECT_FALSE(importer::decodeTextFile("\x81").ok);  // a lead byte alone at the end
  EXPECT_FALSE(importer::decodeTextFile(std::string_view("\xFF\xFE"
                                                         "a\0",
                                                         4))
                   .ok);                                              // UTF-16
  EXPECT_FALSE(importer::decodeTextFile("\xEF\xBB\xBF\xD6\xD0").ok);  // marked UTF-8, is GBK
  auto refused = importer::decodeTextFile("ok\x81\x20");
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.problem.find("neither UTF-8 nor GBK"), std::string::npos);
}

TEST(TextTableLoader, CsvColumnsFollowTheFirstRecord) {
  // Three columns: the workbook layout, with its header skipped.
  EXPECT_EQ(loaded("序号,题目,答案\n1,q1,a1\n2,q2\n", TextFileKind::csv),
            (Rows{{"q1", "a1"}, {"q2", ""}}));
  // Two columns: question,answer; a header in either language is skipped, data is not.
  EXPECT_EQ(loaded("Question , Answer\nq,a\n", TextFileKind::csv), (Rows{{"q", "a"}}));
  EXPECT_EQ(loaded("题目x,答案\nq,a\n", TextFileKind::csv), (Rows{{"题目x", "答案"}, {"q", "a"}}));
  // GBK input gives the same table.
  EXPECT_EQ(loaded(cp936::fromUtf8("问,答\n"), TextFileKind::csv), (Rows{{"问", "答"}}));
  std::string problem;
  EXPECT_TRUE(loaded("only one column\n", TextFileKind::csv, &problem).empty());
  EXPECT_FALSE(problem.empty());
}

TEST(TextTableLoader, CharactersGbkCannotHoldAreCounted) {
  auto table = importer::MemoryTable::withImportColumns();
  ASSERT_TRUE(importer::loadTextIntoTable("q😀,a\xE2\x82\xA9\n", TextFileKind::csv, table).ok);
  ASSERT_EQ(table.rowCount(), 1);
  EXPECT_EQ(table.unstorable(0), 2);
}

TEST(BlockText, ParsesMultiLineTextsAndLooseLayouts) {
  const char* text =
      "\n\n第一题\r\n第二行\r\n答案：A\r\n\r\n第二题\n答案:B\n更多\n\n还有\n\n第三题\n答案：\n\n\n";
  EXPECT_EQ(loaded(text, TextFileKind::blocks),
            (Rows{{"第一题\r\n第二行", "A"}, {"第二题", "B\n更多\n\n还有"}, {"第三题", ""}}));
  EXPECT_TRUE(loaded("no marker anywhere\n", TextFileKind::blocks).empty());
}

TEST(BlockText, WrittenPairsComeBackWhenTheLayoutCanHoldThem) {
  const std::vector<importer::TextPair> pairs = {
      {"单行", "答"},       {"two\r\nlines", "x\n\ny"}, {"", "no question"},
      {"  spaces  ", "  "}, {"ends with CR\r", "a\r"},  {"last", "答案：in the answer"}};
  std::string out;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    EXPECT_TRUE(importer::blockKeepsPair(pairs[i].question, pairs[i].answer)) << i;
    importer::appendBlock(pairs[i], i == 0, out);
  }
  auto back = importer::parseBlockText(out);
  ASSERT_EQ(back.size(), pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    EXPECT_EQ(back[i].question, pairs[i].question) << i;
    EXPECT_EQ(back[i].answer, pairs[i].answer) << i;
  }
  EXPECT_FALSE(importer::blockKeepsPair("a\n\nb", "x"));
  EXPECT_FALSE(importer::blockKeepsPair("答案：q", "x"));
  EXPECT_FALSE(importer::blockKeepsPair("q\n", "x"));
  EXPECT_FALSE(importer::blockKeepsPair("q", "x\n"));
  EXPECT_FALSE(importer::blockKeepsPair("q", "x\n答案：y"));
}

TEST(ExportFormats, CsvAndTextCarryAByteOrderMarkAndTheRecordNumbers) {
  const std::vector<importer::BankPair> pairs = {{7, cp936::fromUtf8("问，\"题\""), "a"}};
  EXPECT_EQ(importer::csvOfPairs(pairs),
            "\xEF\xBB\xBF序号,题目,答案\r\n7,\"问，\"\"题\"\"\",a\r\n");
  EXPECT_EQ(importer::blockTextOfPairs(pairs), "\xEF\xBB\xBF问，\"题\"\r\n答案：a\r\n");
  EXPECT_EQ(importer::exportFormatOf("x.CSV"), importer::ExportFormat::csv);
  EXPECT_EQ(importer::exportFormatOf("x.Txt"), importer::ExportFormat::text);
  EXPECT_EQ(importer::exportFormatOf("x.xls"), std::nullopt);
}

}  // namespace
