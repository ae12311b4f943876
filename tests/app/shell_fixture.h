// A shell over the headless backend whose hooks record what they were asked to do.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/shell.h"
#include "platform/cp936.h"
#include "ui/headless/session.h"

namespace apptest {

inline std::string gbk(std::string_view utf8) { return cp936::fromUtf8(utf8); }

// The one live form, which must be of class F.
template <class F>
F& onlyForm() {
  EXPECT_EQ(ui::liveFormCount(), 1u);
  F* form = ui::find<F>();
  if (!form) ADD_FAILURE() << "no live form of the expected class";
  return *form;
}

// Services that record what the shell asked of them.
class RecordingServices final : public app::SkinServices,
                                public app::BankServices,
                                public app::ImportServices,
                                public app::AnswerServices,
                                public app::CaptureServices,
                                public app::DateServices {
 public:
  void applySkin() override { calls.push_back("applySkin"); }
  void ensureBankFolder() override { calls.push_back("ensureBankFolder"); }
  void listBanks(ui::ComboBox& chooser) override {
    calls.push_back("listBanks");
    chooser.addItem("a.edb");
    chooser.setSelectedIndex(0);
  }
  void bankSelected(app::BankChooserForm&) override { calls.push_back("bankSelected"); }
  void deleteBank(app::BankChooserForm&) override { calls.push_back("deleteBank"); }
  void openForAnswering(app::BankChooserForm&, std::function<void()> opened) override {
    calls.push_back("openForAnswering");
    if (bankOpens) opened();
  }
  void wireImportForm(app::ImportForm& form) override {
    if (onWireImport) onWireImport(form);
  }
  void wireAnswerForm(app::AnswerForm& form) override {
    if (onWireAnswer) onWireAnswer(form);
  }
  void loadRecordCount(app::AnswerForm& form) override {
    calls.push_back("loadRecordCount");
    form.透明标签1.setCaption(gbk("共有3题"));
  }
  void closeAnswerBank(app::AnswerForm&, std::function<void(bool)> closed) override {
    calls.push_back("closeAnswerBank");
    if (closed) closed(bankStaysOpen);
  }
  void createCaptureState() override { calls.push_back("createCaptureState"); }
  void releaseCaptureHook() override { calls.push_back("releaseCaptureHook"); }
  void wireOcrSettingsForm(app::OcrSettingsForm& form) override {
    if (onWireOcrSettings) onWireOcrSettings(form);
  }
  void fetchNetworkDate(app::AnswerForm&,
                        std::function<void(const app::DateReading&)> arrived) override {
    calls.push_back("fetchNetworkDate");
    if (dateArrivesLater)
      pendingDate = [arrived, reading = app::DateReading{networkDate, networkDateFromServer}] {
        arrived(reading);
      };
    else
      arrived({networkDate, networkDateFromServer});
  }

  app::ShellServices services() { return {*this, *this, *this, *this, *this, *this}; }

  std::vector<std::string> calls;
  bool bankOpens = true;
  bool bankStaysOpen = false;
  double networkDate = 46363.34375;  // 2026-12-07 08:15:00
  bool networkDateFromServer = true;
  bool dateArrivesLater = false;
  std::function<void()> pendingDate;
  std::function<void(app::ImportForm&)> onWireImport;
  std::function<void(app::AnswerForm&)> onWireAnswer;
  std::function<void(app::OcrSettingsForm&)> onWireOcrSettings;
};

class ShellTest : public ::testing::Test {
 protected:
  // Builds the shell over the recording services and starts the program.
  void startProgram() {
    shell.emplace(services.services());
    shell->start();
  }

  int count(std::string_view call) const {
    return int(std::count(calls.begin(), calls.end(), call));
  }

  template <class F>
  F& only() {
    return onlyForm<F>();
  }

  app::DisclaimerForm& disclaimer() { return only<app::DisclaimerForm>(); }

  app::BankChooserForm& toChooser() {
    startProgram();
    backend.click(disclaimer().按钮_同意);
    backend.runPending();
    return only<app::BankChooserForm>();
  }

  app::AnswerForm& toAnswer() {
    backend.click(toChooser().按钮_开始考试);
    backend.runPending();
    return only<app::AnswerForm>();
  }

  RecordingServices services;
  std::vector<std::string>& calls = services.calls;
  bool& bankOpens = services.bankOpens;
  bool& bankStaysOpen = services.bankStaysOpen;
  std::optional<app::Shell> shell;
  // Declared last, so forms are destroyed while the shell and the records still exist.
  ui::headless::Session session;
  ui::headless::HeadlessBackend& backend = session.backend();
};

}  // namespace apptest
