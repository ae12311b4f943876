// A shell over the headless backend whose hooks record what they were asked to do.
#pragma once
#include <gtest/gtest.h>

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

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() {
    hooks.createCaptureState = [this] { calls.push_back("createCaptureState"); };
    hooks.applySkin = [this] { calls.push_back("applySkin"); };
    hooks.ensureBankFolder = [this] { calls.push_back("ensureBankFolder"); };
    hooks.listBanks = [this](ui::ComboBox& chooser) {
      calls.push_back("listBanks");
      chooser.addItem("a.edb");
      chooser.setSelectedIndex(0);
    };
    hooks.bankSelected = [this](app::BankChooserForm&) { calls.push_back("bankSelected"); };
    hooks.deleteBank = [this](app::BankChooserForm&) { calls.push_back("deleteBank"); };
    hooks.openForAnswering = [this](app::BankChooserForm&) {
      calls.push_back("openForAnswering");
      return bankOpens;
    };
    hooks.loadRecordCount = [this](app::AnswerForm& form) {
      calls.push_back("loadRecordCount");
      form.透明标签1.setCaption(gbk("共有3题"));
    };
    hooks.fetchNetworkDate = [this] {
      calls.push_back("fetchNetworkDate");
      return networkDate;
    };
    hooks.closeAnswerBank = [this] { calls.push_back("closeAnswerBank"); };
    hooks.answerBankIsOpen = [this] { return bankStaysOpen; };
    hooks.releaseCaptureHook = [this] { calls.push_back("releaseCaptureHook"); };
  }

  // Builds the shell from `hooks` as they are now and starts the program.
  void startProgram() {
    shell.emplace(hooks);
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

  std::vector<std::string> calls;
  bool bankOpens = true;
  bool bankStaysOpen = false;
  double networkDate = 46363.34375;  // 2026-12-07 08:15:00
  app::ShellHooks hooks;
  std::optional<app::Shell> shell;
  // Declared last, so forms are destroyed while the shell and the records still exist.
  ui::headless::Session session;
  ui::headless::HeadlessBackend& backend = session.backend();
};

}  // namespace apptest
