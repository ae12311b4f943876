// The program's own recognition engine: loaded on a worker the first time screenshot mode needs
// it, then kept for the run. A load that fails is tried again next time, so a repaired
// ocr folder is picked up without a restart.
#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "capture/ocr_client.h"
#include "recognition/engine_data.h"
#include "recognition/recognizer.h"

namespace app {

class LocalEngine {
 public:
  using Loader =
      std::function<std::unique_ptr<recognition::Recognizer>(recognition::LoadProblem& problem)>;
  explicit LocalEngine(Loader loader) : loader_(std::move(loader)) {}

  // The engine, loaded now when it is not yet (a caller meanwhile waits for that load). Null,
  // with the reason in `problem`, when it cannot be loaded. Any thread but the user interface's.
  std::shared_ptr<recognition::Recognizer> acquire(recognition::LoadProblem& problem);
  // Loaded already: nothing to wait for.
  bool loaded() const;

 private:
  Loader loader_;
  mutable std::mutex lock_;
  std::shared_ptr<recognition::Recognizer> engine_;
};

// One screenshot selection (BMP bytes) read by the local engine, in the shape the cloud route
// gives: program-text lines joined with nothing between them. A picture that will not decode or
// an engine failure is kServiceError.
capture::Recognition recognizeLocally(recognition::Recognizer& engine, const std::string& bmp);

// The notice when the engine cannot be loaded: it names the ocr folder or the model at fault.
std::string engineProblemNotice(const recognition::LoadProblem& problem);

}  // namespace app
