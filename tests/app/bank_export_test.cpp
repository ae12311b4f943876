// The chooser's 导出题库: the save dialog, the format it decides, the work on the bank worker
// and the words the user reads afterwards.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/controllers/bank_export_choice.h"
#include "bank_controller_fixture.h"
#include "import/memory_table.h"
#include "import/text_table_loader.h"

namespace {

using apptest::gbk;
using Strings = std::vector<std::string>;

class BankExport : public apptest::BankControllerTest {
 protected:
  std::filesystem::path outFile(const char* name) { return temp.path() / name; }

  // Clicks 导出题库 with the dialog answering `choice`, and waits for the outcome.
  void exportAs(ui::SaveFileChoice choice) {
    auto& chooser = only<app::BankChooserForm>();
    backend.answerSaveDialogs({std::move(choice)});
    backend.click(chooser.按钮_导出题库);
    settle();
  }

  // The questions the import reads back from an exported .csv or .txt, in order.
  Strings questionsIn(const std::filesystem::path& file) {
    importer::MemoryTable table({"序号", "题目", "答案", "结果"});
    const auto loaded = importer::loadTextFileIntoTable(file, table);
    EXPECT_TRUE(loaded.ok) << loaded.problem;
    Strings questions;
    for (int row = 0; row < table.rowCount(); ++row)
      questions.push_back(cp936::toUtf8(table.cell(row, 1)));
    return questions;
  }

  static std::string contentOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
};

TEST_F(BankExport, TheDialogOffersTheThreeTypesNamedAfterTheBank) {
  makeBank("甲.edb", 1);
  toChooser();
  exportAs({});  // cancelled: nothing written, nothing said
  const auto dialogs = backend.saveDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  const auto& request = dialogs[0];
  EXPECT_EQ(cp936::toUtf8(request.fileName), "甲.xlsx");
  EXPECT_EQ(request.filterIndex, 1);
  EXPECT_EQ(request.defaultExtension, "xlsx");
  EXPECT_TRUE(request.overwritePrompt);
  const std::string filter = cp936::toUtf8(request.filter);
  for (const char* pattern : {"|*.xlsx", "|*.csv", "|*.txt"})
    EXPECT_NE(filter.find(pattern), std::string::npos) << pattern;
  EXPECT_TRUE(backend.messages().empty());
}

TEST_F(BankExport, CsvAndTextComeBackThroughTheImportAndSayWhereAndHowMany) {
  makeBank("甲.edb", 3);
  toChooser();
  exportAs({outFile("out.csv"), 1});  // the typed extension wins over the type
  exportAs({outFile("out.txt"), 2});
  EXPECT_EQ(questionsIn(outFile("out.csv")), (Strings{"第1题", "第2题", "第3题"}));
  EXPECT_EQ(questionsIn(outFile("out.txt")), (Strings{"第1题", "第2题", "第3题"}));
  const auto texts = shownTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].find("已导出 3 道题到"), 0u) << texts[0];
  EXPECT_NE(texts[0].find("out.csv"), std::string::npos) << texts[0];
  EXPECT_TRUE(only<app::BankChooserForm>().按钮_导出题库.enabled());
  EXPECT_EQ(recordsIn("甲.edb"), 3) << "the bank is only read";
}

TEST_F(BankExport, ANameWithoutAKnownExtensionTakesTheChosenType) {
  makeBank("甲.edb", 2);
  toChooser();
  const std::string csvHeader = "序号,题目,答案";
  exportAs({outFile("plain"), 3});
  EXPECT_EQ(contentOf(outFile("plain")).find(csvHeader), std::string::npos) << "text, not CSV";
  exportAs({outFile("sheet.bak"), 2});
  EXPECT_NE(contentOf(outFile("sheet.bak")).find(csvHeader), std::string::npos) << "CSV";
  exportAs({outFile("book"), 1});
  EXPECT_EQ(contentOf(outFile("book")).rfind("PK", 0), 0u) << "a workbook";
}

TEST_F(BankExport, FailuresNameTheReasonAndLeaveTheButtonUsable) {
  makeBank("甲.edb", 2);
  toChooser();
  exportAs({temp.path() / "no such folder" / "out.csv", 2});
  exportAs({bankFile("甲.edb"), 2});  // over the bank it reads
  std::ofstream(bankFile("甲.edb"), std::ios::binary | std::ios::trunc) << "not a bank at all";
  exportAs({outFile("damaged.csv"), 2});
  const auto texts = shownTexts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].find("导出失败：无法写入"), 0u) << texts[0];
  EXPECT_NE(texts[0].find("磁盘已满"), std::string::npos);
  EXPECT_EQ(texts[1], "导出失败：不能导出到题库文件本身");
  EXPECT_EQ(texts[2], "导出失败：题库无法读取，可能已经损坏");
  EXPECT_FALSE(std::filesystem::exists(outFile("damaged.csv")));
  EXPECT_TRUE(only<app::BankChooserForm>().按钮_导出题库.enabled());
}

TEST_F(BankExport, NoBankChosenAsksForOneBeforeAnyDialog) {
  toChooser();
  backend.click(only<app::BankChooserForm>().按钮_导出题库);
  settle();
  EXPECT_TRUE(backend.saveDialogs().empty());
  EXPECT_EQ(shownTexts(), (Strings{"请先选择一个题库！"}));
}

TEST(BankExportChoice, AnUnknownTypeDecidesNothing) {
  EXPECT_FALSE(app::exportFormatOf(ui::SaveFileChoice{"out", 0}));
  EXPECT_FALSE(app::exportFormatOf(ui::SaveFileChoice{"out", 4}));
  EXPECT_EQ(app::exportFormatOf(ui::SaveFileChoice{"OUT.TXT", 1}), importer::ExportFormat::text);
}

}  // namespace
