// The whole program over the headless backend, with its own hooks, in a run folder of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/shell.h"
#include "platform/cp936.h"
#include "ui/headless/headless_backend.h"

namespace {

namespace fs = std::filesystem;

class RunFolder {
 public:
  RunFolder() : path_(fs::temp_directory_path() / "quorvix-app-program-test") {
    fs::remove_all(path_);
    fs::create_directories(path_);
    setVariable(path_.string().c_str());
  }
  ~RunFolder() {
    setVariable("");
    fs::remove_all(path_);
  }
  const fs::path& path() const { return path_; }

 private:
  static void setVariable(const char* value) {
#ifdef _WIN32
    _putenv_s("QUORVIX_RUN_DIR", value);
#else
    setenv("QUORVIX_RUN_DIR", value, 1);
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
