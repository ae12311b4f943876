#include "app/controllers/screenshot_recognition.h"

#include <cstdlib>
#include <utility>

#include "app/controllers/ocr_recognition.h"
#include "app/controllers/ocr_texts.h"
#include "platform/files.h"
#include "ui/toolkit.h"

namespace app {
namespace {

// The fetch's outcome back on the user-interface thread: a notice for a refusal or a failure,
// then whether a token is held.
void tokenFetched(capture::TokenFetchOutcome outcome, const std::function<void(bool)>& done) {
  if (auto notice = ocr_texts::tokenFetchNotice(outcome)) ocr_texts::showNotice(*notice);
  done(outcome == capture::TokenFetchOutcome::kFetched);
}

}  // namespace

OcrScreenshotRecognition::OcrScreenshotRecognition(std::shared_ptr<capture::OcrClient> ocr,
                                                   std::filesystem::path runDirectory,
                                                   std::function<void()> openSettingsForm)
    : ocr_(std::move(ocr)),
      runDirectory_(std::move(runDirectory)),
      openSettingsForm_(std::move(openSettingsForm)) {}

void OcrScreenshotRecognition::fetchToken(ui::FormHandle answerForm,
                                          std::function<void(bool held)> done) {
  if (ocr_->hasAccessToken()) {
    done(true);
    return;
  }
  auto fetch = [ocr = ocr_, answerForm, done, gate = workers_.gate()] {
    const capture::TokenFetchOutcome outcome = ocr->FetchAccessToken();
    ui::post(*gate, answerForm, [outcome, done] { tokenFetched(outcome, done); });
  };
  // No thread to spare: the fetch runs here, and the form waits for it.
  if (!workers_.start(fetch)) tokenFetched(ocr_->FetchAccessToken(), done);
}

void OcrScreenshotRecognition::recognize(ui::FormHandle answerForm, std::string bmp) {
  keepSelectionForTests(runDirectory_, bmp);
  recognizeIntoAnswerForm(workers_, ocr_, answerForm, std::move(bmp));
}

void keepSelectionForTests(const std::filesystem::path& runDirectory, const std::string& bmp) {
  const char* keep = std::getenv("QUORVIX_KEEP_SELECTION");
  if (!keep || !*keep) return;
  platform::writeFileAtomic(runDirectory / "selection.bmp", bmp);
}

}  // namespace app
