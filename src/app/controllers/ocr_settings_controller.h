// The OCR settings form: the stored keys shown and shown again on "恢 复 默 认", the key test
// of the typed keys, and the provider's product page.
#pragma once
#include <filesystem>
#include <memory>

#include "app/forms/ocr_settings_form.h"
#include "capture/ocr_client.h"
#include "capture/ocr_route.h"
#include "platform/worker.h"

namespace app {

extern const char* const kOcrProductPageUrl;

// The stored keys into 编辑框1 and 编辑框2 and the stored service address into 编辑框3; a value
// that is missing or fails its check shows empty. The route in effect is the checked choice.
// Throws away what the user typed.
void LoadOcrSettings(OcrSettingsForm& form, const std::filesystem::path& runDirectory);

// Tests the keys as typed on a worker, so the form keeps answering for as long as the service
// takes; 按钮3 and 按钮2 stay disabled meanwhile. The outcome comes back as a self-closing
// notice of the form, dropped once `workers` are gone. The keys stored are the ones tested,
// whatever the boxes hold by then; the typed service address is where they are tested and is
// stored with them.
void TestOcrKeys(OcrSettingsForm& form, std::shared_ptr<capture::OcrClient> ocr,
                 platform::OneShots& workers);

// A choice clicked is stored at once; a file that cannot be written is said in a notice.
void StoreOcrRouteChoice(const std::filesystem::path& runDirectory, capture::OcrRoute route);

class OcrSettingsController {
 public:
  OcrSettingsController(std::shared_ptr<capture::OcrClient> ocr,
                        std::filesystem::path runDirectory);

  // Attaches the form's handlers; call before the form is created.
  void wire(OcrSettingsForm& form);

 private:
  std::shared_ptr<capture::OcrClient> ocr_;
  std::filesystem::path runDirectory_;
  platform::OneShots workers_;  // last: its gate closes before the rest goes
};

}  // namespace app
