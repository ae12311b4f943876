#include "app/controllers/screenshot_recognition.h"

#include <cstdlib>
#include <fstream>
#include <future>
#include <mutex>
#include <utility>

#include "app/controllers/ocr_recognition.h"
#include "app/controllers/ocr_texts.h"
#include "capture/ocr_route.h"
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

void engineLoaded(const recognition::LoadProblem& problem, const std::function<void(bool)>& done) {
  if (problem.error != recognition::LoadError::kNone)
    ocr_texts::showNotice({engineProblemNotice(problem), ocr_texts::kTroubleNoticeMs});
  done(problem.error == recognition::LoadError::kNone);
}

}  // namespace

OcrScreenshotRecognition::OcrScreenshotRecognition(std::shared_ptr<capture::OcrClient> ocr,
                                                   std::filesystem::path runDirectory,
                                                   std::function<void()> openSettingsForm,
                                                   std::shared_ptr<LocalEngine> localEngine)
    : ocr_(std::move(ocr)),
      runDirectory_(std::move(runDirectory)),
      openSettingsForm_(std::move(openSettingsForm)),
      localEngine_(std::move(localEngine)) {}

bool OcrScreenshotRecognition::usesLocalEngine() const {
  if (!localEngine_) return false;
  return capture::LoadOcrRoute(runDirectory_) == capture::OcrRoute::kLocal;
}

void OcrScreenshotRecognition::fetchToken(ui::FormHandle answerForm,
                                          std::function<void(bool held)> done) {
  if (usesLocalEngine()) {
    loadLocalEngine(answerForm, std::move(done));
    return;
  }
  if (ocr_->hasAccessToken()) {
    done(true);
    return;
  }
  // The promise is kept or broken with the job, so a selection waiting on it never waits longer.
  auto ended = std::make_shared<std::promise<void>>();
  auto fetch = [ocr = ocr_, answerForm, done, ended, gate = workers_.gate()] {
    const capture::TokenFetchOutcome outcome = ocr->FetchAccessToken();
    ended->set_value();
    ui::post(*gate, answerForm, [outcome, done] { tokenFetched(outcome, done); });
  };
  tokenFetch_ = ended->get_future().share();
  // No thread to spare: the fetch runs here, and the form waits for it.
  if (!workers_.start(fetch)) {
    tokenFetch_ = {};
    tokenFetched(ocr_->FetchAccessToken(), done);
  }
}

void OcrScreenshotRecognition::loadLocalEngine(ui::FormHandle answerForm,
                                               std::function<void(bool held)> done) {
  if (localEngine_->loaded()) {
    done(true);
    return;
  }
  auto load = [engine = localEngine_, answerForm, done, gate = workers_.gate()] {
    recognition::LoadProblem problem;
    engine->acquire(problem);
    ui::post(*gate, answerForm, [problem, done] { engineLoaded(problem, done); });
  };
  // Loading takes seconds; without a thread to spare the first selection loads it instead.
  if (!workers_.start(load)) done(true);
}

void OcrScreenshotRecognition::recognizeLocally(ui::FormHandle answerForm, std::string bmp) {
  auto picture = std::make_shared<std::string>(std::move(bmp));
  auto read = [engine = localEngine_, answerForm, picture, gate = workers_.gate()] {
    recognition::LoadProblem problem;
    const auto recognizer = engine->acquire(problem);
    if (!recognizer) {
      ui::post(*gate, answerForm, [problem] {
        ocr_texts::showNotice({engineProblemNotice(problem), ocr_texts::kTroubleNoticeMs});
      });
      return;
    }
    const capture::Recognition recognition = app::recognizeLocally(*recognizer, *picture);
    gate->pass([&] { deliverRecognition(answerForm, recognition); });
  };
  workers_.start(read);
}

void OcrScreenshotRecognition::recognize(ui::FormHandle answerForm, std::string bmp) {
  keepSelectionForTests(runDirectory_, bmp);
  if (usesLocalEngine()) {
    recognizeLocally(answerForm, std::move(bmp));
    return;
  }
  recognizeIntoAnswerForm(workers_, ocr_, answerForm, std::move(bmp), tokenFetch_);
}

AreaReader OcrScreenshotRecognition::areaReader() {
  if (usesLocalEngine()) {
    return [engine = localEngine_, runDirectory = runDirectory_](const std::string& bmp) {
      recognition::LoadProblem problem;
      capture::Recognition read;
      read.outcome = capture::RecognitionOutcome::kServiceError;
      if (const auto recognizer = engine->acquire(problem))
        read = app::recognizeLocally(*recognizer, bmp);
      countRecognitionForTests(runDirectory, read);
      return read;
    };
  }
  return [ocr = ocr_, tokenFetch = tokenFetch_, runDirectory = runDirectory_](
             const std::string& bmp) {
    if (tokenFetch.valid()) tokenFetch.wait();
    const capture::Recognition read = ocr->RecognizeScreenshot(bmp);
    countRecognitionForTests(runDirectory, read);
    return read;
  };
}

void countRecognitionForTests(const std::filesystem::path& runDirectory,
                              const capture::Recognition& recognition) {
  const char* count = std::getenv("QUORVIX_COUNT_RECOGNITIONS");
  if (!count || !*count) return;
  static std::mutex lock;
  std::lock_guard hold(lock);
  std::ofstream file(runDirectory / "recognitions.txt", std::ios::app | std::ios::binary);
  file << int(recognition.outcome) << ' ' << recognition.text << '\n';
}

void keepSelectionForTests(const std::filesystem::path& runDirectory, const std::string& bmp) {
  const char* keep = std::getenv("QUORVIX_KEEP_SELECTION");
  if (!keep || !*keep) return;
  platform::writeFileAtomic(runDirectory / "selection.bmp", bmp);
}

}  // namespace app
