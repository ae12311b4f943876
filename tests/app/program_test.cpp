// The whole program over the headless backend, with its own hooks, in a run folder of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/program_services.h"
#include "app/writable_folder.h"
#include "bank/question_bank.h"
#include "bank/record_database.h"
#include "platform/cp936.h"
#include "platform/process.h"
#include "ui/headless/headless_backend.h"

namespace {

namespace fs = std::filesystem;

class RunFolder {
 public:
  // A folder of this test run's own: runs side by side never share it.
  RunFolder()
      : path_(fs::temp_directory_path() /
              ("quorvix-app-program-" + std::to_string(platform::processId()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
    setVariable(path_.string().c_str());
    // The answer form's date from a port nothing listens on: no test reaches the network.
    setEnvironment("QUORVIX_DATE_URL", "http://127.0.0.1:9/");
  }
  ~RunFolder() {
    setVariable("");
    fs::remove_all(path_);
  }
  const fs::path& path() const { return path_; }

 private:
  static void setVariable(const char* value) { setEnvironment("QUORVIX_RUN_DIR", value); }
  static void setEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
  }
  fs::path path_;
};

TEST(Program, AcceptMakesTheBankFolderAndListsItsBanksUntilTheLastFormCloses) {
  RunFolder run;
  ui::headless::HeadlessBackend backend;
  std::vector<std::string> listed;
  backend.at(1, [&] {
    // The folder appears only once the chooser starts; a bank put there now is listed.
    EXPECT_FALSE(fs::exists(run.path() / u8"题库"));
    fs::create_directories(run.path() / u8"题库" / "folder.edb");
    auto* disclaimer = ui::find<app::DisclaimerForm>();
    ASSERT_NE(disclaimer, nullptr);
    backend.click(disclaimer->按钮_同意);
  });
  backend.at(20, [&] {
    std::ofstream(run.path() / u8"题库" / u8"乙.edb") << "x";
    auto* chooser = ui::find<app::BankChooserForm>();
    ASSERT_NE(chooser, nullptr);
    backend.click(chooser->按钮_导入题库);
  });
  backend.at(40, [&] {
    auto* importForm = ui::find<app::ImportForm>();
    ASSERT_NE(importForm, nullptr);
    for (int i = 0; i < importForm->组合框1.count(); ++i) {
      listed.push_back(importForm->组合框1.itemText(i));
    }
    backend.closeBox(*importForm);
  });
  EXPECT_EQ(app::runProgram(backend), 0);
  EXPECT_EQ(listed, (std::vector<std::string>{cp936::fromUtf8("乙.edb")}));
}

}  // namespace

namespace {

// A bank of `questions` records in the run folder's bank folder.
void makeBank(const fs::path& runDir, const char8_t* name, int questions) {
  fs::create_directories(runDir / u8"题库");
  bank::RecordDatabase database;
  fs::path path = runDir / u8"题库" / name;
  ASSERT_TRUE(database.createDatabase(path, bank::bankSchema()));
  ASSERT_TRUE(database.openDatabase(path));
  for (int i = 0; i < questions; ++i) {
    ASSERT_TRUE(database.addRecord({std::to_string(i), "a"}));
  }
  database.closeDatabase(path);
}

TEST(Program, StartOpensTheChosenBankForTheAnswerFormAndBackClosesIt) {
  RunFolder run;
  makeBank(run.path(), u8"甲.edb", 2);
  ui::headless::HeadlessBackend backend;
  std::string countLine;
  backend.at(1, [&] { backend.click(ui::find<app::DisclaimerForm>()->按钮_同意); });
  backend.at(20, [&] { backend.click(ui::find<app::BankChooserForm>()->按钮_开始考试); });
  backend.at(40, [&] {
    // The bank opens on the bank worker.
    EXPECT_TRUE(backend.runUntil([] { return ui::find<app::AnswerForm>() != nullptr; }));
    auto* answer = ui::find<app::AnswerForm>();
    ASSERT_NE(answer, nullptr);
    // The count comes from the bank worker.
    EXPECT_TRUE(backend.runUntil([&] { return !answer->透明标签1.caption().empty(); }));
    countLine = answer->透明标签1.caption();
    backend.click(answer->按钮_返回);
  });
  backend.at(60, [&] {
    // The answer form leaves once the bank worker has closed its bank.
    ASSERT_TRUE(backend.runUntil([] { return ui::find<app::BankChooserForm>() != nullptr; }));
    // Back on the chooser with the bank closed: it can be opened again.
    bank::RecordDatabase other;
    EXPECT_TRUE(other.openDatabase(run.path() / u8"题库" / u8"甲.edb"));
    backend.closeBox(*ui::find<app::BankChooserForm>());
  });
  EXPECT_EQ(app::runProgram(backend), 0);
  EXPECT_EQ(countLine, cp936::fromUtf8("共有2题"));
  EXPECT_TRUE(backend.messages().empty());
}

TEST(Program, AnEmptyBankKeepsTheChooserWithItsMessage) {
  RunFolder run;
  makeBank(run.path(), u8"空.edb", 0);
  ui::headless::HeadlessBackend backend;
  backend.at(1, [&] { backend.click(ui::find<app::DisclaimerForm>()->按钮_同意); });
  backend.at(20, [&] { backend.click(ui::find<app::BankChooserForm>()->按钮_开始考试); });
  backend.at(40, [&] {
    EXPECT_TRUE(backend.runUntil([&] { return !backend.messages().empty(); }));
    EXPECT_EQ(ui::find<app::AnswerForm>(), nullptr);
    backend.closeBox(*ui::find<app::BankChooserForm>());
  });
  EXPECT_EQ(app::runProgram(backend), 0);
  ASSERT_EQ(backend.messages().size(), 1u);
  EXPECT_EQ(backend.messages()[0].text, cp936::fromUtf8("题库为空，请导入题目后再使用！！！"));
}

}  // namespace

namespace {

// Unpacked where it may not write, the program says so before anything else and ends.
TEST(Program, AFolderThatCannotBeWrittenIsNamedAtStartAndTheProgramEnds) {
  RunFolder run;
  const fs::path blocked = run.path() / u8"只读";
  std::ofstream(blocked) << "a file where the folder should be";
  ASSERT_FALSE(app::canWriteIn(blocked));
#ifdef _WIN32
  _wputenv_s(L"QUORVIX_RUN_DIR", blocked.c_str());  // wide: the name is not ASCII
#else
  setenv("QUORVIX_RUN_DIR", blocked.c_str(), 1);
#endif
  ui::headless::HeadlessBackend backend;
  bool disclaimerShown = false;
  backend.at(1, [&] { disclaimerShown = ui::find<app::DisclaimerForm>() != nullptr; });
  EXPECT_EQ(app::runProgram(backend), 1);
  EXPECT_FALSE(disclaimerShown);
  const auto messages = backend.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text.rfind(cp936::fromUtf8("程序所在的文件夹不能写入"), 0), 0u);
  EXPECT_NE(messages[0].text.find(cp936::fromUtf8("只读")), std::string::npos);
}

TEST(Program, TheWriteCheckMakesAMissingFolderAndLeavesNothingBehind) {
  RunFolder run;
  const fs::path fresh = run.path() / u8"新 文件夹" / "sub";
  EXPECT_TRUE(app::canWriteIn(fresh));
  EXPECT_TRUE(fs::is_directory(fresh));
  EXPECT_TRUE(fs::is_empty(fresh));
  // A probe name taken by an earlier run does not make the folder read as unwritable.
  fs::create_directory(run.path() / (".quorvix-write-check-" +
                                     std::to_string(platform::processId()) + "-0"));
  EXPECT_TRUE(app::canWriteIn(run.path()));
}

}  // namespace
