#include "app/controllers/ocr_settings_controller.h"

#include <utility>

#include "app/controllers/ocr_texts.h"
#include "capture/ocr_route.h"
#include "capture/ocr_settings.h"
#include "ui/system.h"
#include "ui/toolkit.h"

namespace app {
namespace {

// While a key test runs, neither a second test nor a reload of the boxes can start.
void setKeyTestRunning(OcrSettingsForm& form, bool running) {
  form.按钮3.setEnabled(!running);
  form.按钮2.setEnabled(!running);
}

}  // namespace

const char* const kOcrProductPageUrl = "https://ai.baidu.com/tech/ocr/general";

void LoadOcrSettings(OcrSettingsForm& form, const std::filesystem::path& runDirectory) {
  const capture::OcrKeys keys = capture::LoadOcrSettings(runDirectory);
  form.编辑框1.setContent(keys.apiKey);
  form.编辑框2.setContent(keys.secretKey);
  form.编辑框3.setContent(capture::LoadOcrServiceAddress(runDirectory));
  const capture::OcrRoute route = capture::LoadOcrRoute(runDirectory);
  form.单选框_本地识别.setChecked(route == capture::OcrRoute::kLocal);
  form.单选框_百度识别.setChecked(route == capture::OcrRoute::kCloud);
  form.单选框_识别服务.setChecked(route == capture::OcrRoute::kService);
}

void StoreOcrRouteChoice(const std::filesystem::path& runDirectory, capture::OcrRoute route) {
  if (!capture::StoreOcrRoute(runDirectory, route))
    ocr_texts::showNotice({gbk("识别方式未能保存到配置文件！"), ocr_texts::kTroubleNoticeMs});
}

void TestOcrKeys(OcrSettingsForm& form, std::shared_ptr<capture::OcrClient> ocr,
                 platform::OneShots& workers) {
  setKeyTestRunning(form, true);
  auto test = [ocr, apiKey = form.编辑框1.content(), secretKey = form.编辑框2.content(),
               address = form.编辑框3.content(), handle = form.handle(), gate = workers.gate()] {
    const capture::KeyTestResult result = ocr->TestOcrKeys(apiKey, secretKey, address);
    ui::post(*gate, handle, [handle, result] {
      auto* form = dynamic_cast<OcrSettingsForm*>(ui::findForm(handle));
      if (!form) return;
      setKeyTestRunning(*form, false);
      ocr_texts::showNotice(ocr_texts::keyTestNotice(result));
    });
  };
  if (!workers.start(test)) {
    // No thread to spare: the test runs here, and the form waits for it.
    const capture::KeyTestResult result =
        ocr->TestOcrKeys(form.编辑框1.content(), form.编辑框2.content(), form.编辑框3.content());
    setKeyTestRunning(form, false);
    ocr_texts::showNotice(ocr_texts::keyTestNotice(result));
  }
}

OcrSettingsController::OcrSettingsController(std::shared_ptr<capture::OcrClient> ocr,
                                             std::filesystem::path runDirectory)
    : ocr_(std::move(ocr)), runDirectory_(std::move(runDirectory)) {}

void OcrSettingsController::wire(OcrSettingsForm& form) {
  form.onCreated = [this, &form] { LoadOcrSettings(form, runDirectory_); };
  form.按钮2.onClick = [this, &form] { LoadOcrSettings(form, runDirectory_); };
  form.按钮3.onClick = [this, &form] { TestOcrKeys(form, ocr_, workers_); };
  form.按钮1.onClick = [] { ui::openUrl(kOcrProductPageUrl); };
  const std::pair<ui::RadioButton*, capture::OcrRoute> choices[] = {
      {&form.单选框_本地识别, capture::OcrRoute::kLocal},
      {&form.单选框_百度识别, capture::OcrRoute::kCloud},
      {&form.单选框_识别服务, capture::OcrRoute::kService}};
  for (const auto& choice : choices)
    choice.first->onClick = [this, route = choice.second] {
      StoreOcrRouteChoice(runDirectory_, route);
    };
}

}  // namespace app
