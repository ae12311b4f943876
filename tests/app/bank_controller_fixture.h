// The real bank store behind the real forms, over the headless toolkit, in a fresh run
// directory with a Chinese name.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../bank/bank_test_support.h"
#include "app/controllers/answer_controller.h"
#include "app/controllers/bank_controller.h"
#include "app/controllers/import_controller.h"
#include "shell_fixture.h"

namespace apptest {

// The subsystems still to come, and a fixed date.
class QuietServices final : public app::SkinServices,
                            public app::CaptureServices,
                            public app::DateServices {
 public:
  void applySkin() override {}
  void createCaptureState() override {}
  void releaseCaptureHook() override {}
  void wireOcrSettingsForm(app::OcrSettingsForm&) override {}
  void fetchNetworkDate(app::AnswerForm&,
                        std::function<void(const app::DateReading&)> arrived) override {
    arrived({46363.0, true});
  }
};

class BankControllerTest : public ::testing::Test {
 protected:
  BankControllerTest() {
    std::filesystem::create_directories(runDir);
    banks = std::make_unique<app::BankController>(runDir);
    import.emplace(*banks);
    answer.emplace(*banks);
  }
  ~BankControllerTest() override {
    ui::uninstall();  // forms first, while the bank and its worker exist
  }

  // `name` is UTF-8, as the sources are.
  std::filesystem::path bankFile(const char* name) {
    return runDir / std::filesystem::path(u8"题库") /
           std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(name)));
  }

  void makeBank(const char* name, int records) {
    std::filesystem::create_directories(bankFile(name).parent_path());
    bank::RecordDatabase db;
    ASSERT_TRUE(db.createDatabase(bankFile(name), bank::bankSchema()));
    ASSERT_TRUE(db.openDatabase(bankFile(name)));
    for (int i = 1; i <= records; ++i) {
      ASSERT_TRUE(db.addRecord({gbk("第") + std::to_string(i) + gbk("题"), "a"}));
    }
  }

  std::int32_t recordsIn(const char* name) {
    bank::RecordDatabase db;
    return db.openDatabase(bankFile(name)) ? db.recordCount() : -1;
  }

  bool answerBankOpen() {
    return banks->sharedBank().use([&](bank::RecordDatabase& db) {
      return db.isOpen(banks->questionBank().answerBankPath());
    });
  }

  template <class F>
  F& only() {
    return apptest::onlyForm<F>();
  }

  void settle() {
    ASSERT_TRUE(backend.runUntil([this] { return banks->worker().idle(); }));
    backend.runPending();
  }

  app::BankChooserForm& toChooser() {
    shell.emplace(app::ShellServices{quiet, *banks, *import, *answer, quiet, quiet});
    shell->start();
    backend.click(only<app::DisclaimerForm>().按钮_同意);
    backend.runPending();
    return only<app::BankChooserForm>();
  }

  std::vector<std::string> shownTexts() {
    std::vector<std::string> texts;
    for (const auto& box : backend.messages()) texts.push_back(cp936::toUtf8(box.text));
    return texts;
  }

  banktest::TempDir temp;
  // A Chinese run directory: bank paths never pass through GBK.
  std::filesystem::path runDir = temp.path() / std::filesystem::path(u8"程序");
  ui::headless::Session ui;
  ui::headless::HeadlessBackend& backend = ui.backend();
  QuietServices quiet;
  std::unique_ptr<app::BankController> banks;  // after the toolkit: its worker stops first
  std::optional<app::ImportController> import;
  std::optional<app::AnswerController> answer;
  std::optional<app::Shell> shell;
};

}  // namespace apptest
