#include "app/shell.h"

#include <cmath>

#include "platform/cp936.h"
#include "platform/date_time.h"
#include "ui/system.h"

namespace app {
namespace {

std::string& versionTextStore() {
  static std::string text;
  return text;
}

}  // namespace

const char* const kReleasePageUrl = "https://quorvix.example/releases";

// After the date when no server told it.
const char* const kLocalTimeMark = "（本机时间）";

const std::string& versionText() { return versionTextStore(); }

std::string windowTitle() {
  static const std::string prefix = cp936::fromUtf8("Quorvix（Nembra专版）——byDalvenor ");
  return prefix + versionText();
}

Shell::Shell(ShellServices services) : services_(services) {}

void Shell::start() {
  services_.capture.createCaptureState();
  loadDisclaimer();
}

int Shell::run() {
  start();
  return ui::run();
}

void Shell::moveOn(ui::Form& current, const std::function<void()>& loadNext, bool wait) {
  current.beginLeaving();
  loadNext();
  if (wait) ui::processMessages(10);
  current.destroy();
}

// ---- DisclaimerForm ----

DisclaimerForm& Shell::loadDisclaimer() {
  return ui::load<DisclaimerForm>([this](DisclaimerForm& form) {
    form.onCreated = [this, &form] { startDisclaimer(form); };
    form.按钮_同意.onClick = [this, &form] { moveOn(form, [this] { loadBankChooser(); }); };
    // The only form: destroying it ends the program.
    form.按钮_拒绝.onClick = [&form] { form.destroy(); };
  });
}

void Shell::startDisclaimer(DisclaimerForm& form) {
  services_.skin.applySkin();
  versionTextStore() = "V2.0";
  form.setCaption(windowTitle());
}

// ---- BankChooserForm ----

BankChooserForm& Shell::loadBankChooser() {
  return ui::load<BankChooserForm>([this](BankChooserForm& form) {
    form.onCreated = [this, &form] { startBankChooser(form); };
    form.组合框1.onSelectionChanged = [this, &form] { services_.banks.bankSelected(form); };
    form.按钮_导入题库.onClick = [this, &form] { moveOn(form, [this] { loadImport(); }); };
    form.按钮_删除题库.onClick = [this, &form] { services_.banks.deleteBank(form); };
    form.按钮_导出题库.onClick = [this, &form] { services_.banks.exportBank(form); };
    form.按钮_开始考试.onClick = [this, &form] {
      services_.banks.openForAnswering(form, [this, &form] {
        if (form.leaving()) return;  // a second click's bank opened too late to matter
        moveOn(form, [this] { loadAnswer(); });
      });
    };
    // 开始考试 is the default button: Enter anywhere but on another button opens the bank.
    form.onKeyDown = [&form](int key) {
      if (key == ui::key::kReturn && form.按钮_开始考试.enabled()) form.按钮_开始考试.onClick();
    };
  });
}

void Shell::startBankChooser(BankChooserForm& form) {
  services_.banks.ensureBankFolder();
  services_.banks.listBanks(form.组合框1);
  services_.banks.selectLastAnswerBank(form.组合框1);
  form.setCaption(windowTitle());
}

// ---- ImportForm ----

ImportForm& Shell::loadImport() {
  return ui::load<ImportForm>([this](ImportForm& form) {
    services_.import.wireImportForm(form);
    form.onCreated = [this, &form] { startImport(form); };
    form.按钮_返回题库选择.onClick = [this, &form] {
      // Leaving by 返回 asks what the close box asks (an import under way may be stopped).
      if (auto asked = form.onCloseAsked; asked && !asked()) return;
      moveOn(
          form, [this] { loadBankChooser(); }, /*wait=*/false);
    };
  });
}

void Shell::startImport(ImportForm& form) {
  services_.banks.listBanks(form.组合框1);
  form.setCaption(windowTitle());
}

// ---- AnswerForm ----

AnswerForm& Shell::loadAnswer() {
  return ui::load<AnswerForm>([this](AnswerForm& form) {
    services_.answer.wireAnswerForm(form);
    services_.capture.wireAnswerCapture(form);
    form.onCreated = [this, &form] { startAnswer(form); };
    form.onDestroying = [this, &form] {
      services_.capture.releaseCaptureHook();
      services_.answer.closeAnswerBank(form, {});
    };
    form.按钮_返回.onClick = [this, &form] { leaveAnswer(form); };
    form.按钮_赞助.onClick = [this] { loadOcrSettings(); };
    form.状态条1.onDoubleClick = [] { ui::openUrl(kReleasePageUrl); };
  });
}

void Shell::startAnswer(AnswerForm& form) {
  ui::Size screen = ui::screenSize();
  // The offsets are design lengths: the form is larger on a scaled screen.
  form.move(screen.width - form.scaled(400),
            int(std::lround(screen.height / 2.0 - form.scaled(350))));
  services_.answer.loadRecordCount(form);
  form.setCaption(windowTitle());
  services_.date.fetchNetworkDate(form, [&form](const DateReading& reading) {
    // A search may have written the status first; its outcome matters more than the date.
    if (!form.状态条1.sectionText(1).empty()) return;
    std::string text = platform::dateTimeText(platform::fromVariantDate(reading.date));
    if (!reading.fromServer) text += cp936::fromUtf8(kLocalTimeMark);
    form.状态条1.setSectionText(1, text);
  });
}

void Shell::leaveAnswer(AnswerForm& form) {
  auto afterClose = [this, &form](bool stillOpen) {
    // A bank that would not close keeps the form, without a word.
    if (stillOpen || form.leaving()) return;
    moveOn(form, [this] { loadBankChooser(); });
  };
  services_.answer.closeAnswerBank(form, afterClose);
}

// ---- OcrSettingsForm ----

OcrSettingsForm& Shell::loadOcrSettings() {
  return ui::load<OcrSettingsForm>(
      [this](OcrSettingsForm& form) { services_.capture.wireOcrSettingsForm(form); });
}

}  // namespace app
