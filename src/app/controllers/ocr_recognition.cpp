#include "app/controllers/ocr_recognition.h"

#include <utility>

#include "app/controllers/ocr_texts.h"
#include "app/controllers/search_session.h"
#include "app/forms/answer_form.h"
#include "ui/toolkit.h"

namespace app {

void deliverRecognition(ui::FormHandle answerForm, const capture::Recognition& recognition) {
  if (recognition.outcome == capture::RecognitionOutcome::kRecognized) {
    postKeywordSearch(answerForm, recognition.text);
    return;
  }
  if (recognition.outcome == capture::RecognitionOutcome::kNoText) {
    ui::post(answerForm, [answerForm] {
      if (auto* form = dynamic_cast<AnswerForm*>(ui::findForm(answerForm)))
        form->编辑框1.setContent("");
    });
    return;
  }
  if (auto notice = ocr_texts::recognitionNotice(recognition.outcome)) {
    ui::post(answerForm, [notice = std::move(*notice)] { ocr_texts::showNotice(notice); });
  }
}

void recognizeIntoAnswerForm(platform::OneShots& workers, std::shared_ptr<capture::OcrClient> ocr,
                             ui::FormHandle answerForm, std::string bmpBytes,
                             std::shared_future<void> tokenFetch) {
  if (!ocr || bmpBytes.empty()) return;
  auto picture = std::make_shared<std::string>(std::move(bmpBytes));
  auto recognize = [ocr, answerForm, picture, tokenFetch, gate = workers.gate()] {
    if (tokenFetch.valid()) tokenFetch.wait();
    const capture::Recognition recognition = ocr->RecognizeScreenshot(std::move(*picture));
    // Delivering only posts, so the gate is held open for no longer than that.
    gate->pass([&] { deliverRecognition(answerForm, recognition); });
  };
  // Without a thread to spare, this selection goes unrecognised; the next one may fare better.
  workers.start(recognize);
}

}  // namespace app
