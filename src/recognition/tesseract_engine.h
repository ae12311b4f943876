// The local recogniser: Tesseract's LSTM engine reading the models of a data folder. A few
// engines are kept, one a recognition at a time, as many as may run at once; a recognition
// finding none free waits for one.
#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "recognition/engine_data.h"
#include "recognition/recognizer.h"

namespace tesseract {
class TessBaseAPI;
}

namespace recognition {

class TesseractEngine final : public Recognizer {
 public:
  // Loads one engine for each language now, so a missing or damaged model shows here and not
  // at the first recognition. Nothing, with the reason in `problem`, when it cannot.
  static std::unique_ptr<TesseractEngine> load(const EngineSettings& settings,
                                               LoadProblem& problem);
  ~TesseractEngine() override;
  TesseractEngine(const TesseractEngine&) = delete;
  TesseractEngine& operator=(const TesseractEngine&) = delete;

  RecognizedText recognize(const GreyPicture& prepared, TextLanguage language) override;

  struct Engine;

 private:
  explicit TesseractEngine(const EngineSettings& settings);
  std::unique_ptr<Engine> takeEngine(TextLanguage language);
  void giveBack(std::unique_ptr<Engine> engine);
  static RecognizedText readWith(tesseract::TessBaseAPI& api, const GreyPicture& picture);

  const EngineSettings settings_;
  std::mutex lock_;
  std::condition_variable freed_;
  int running_ = 0;
  std::vector<std::unique_ptr<Engine>> idle_;
};

}  // namespace recognition
