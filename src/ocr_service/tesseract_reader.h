// The text recogniser behind the service: Tesseract's LSTM engine with the simplified Chinese
// and English models. A few engines are kept, one a request at a time, as many as may run at
// once; a request finding none free waits for one.
#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ocr_service/recognition_service.h"

namespace tesseract {
class TessBaseAPI;
}

namespace ocr_service {

class TesseractReader {
 public:
  // `concurrent`: how many recognitions run at once (at least 1).
  explicit TesseractReader(int concurrent);
  ~TesseractReader();
  TesseractReader(const TesseractReader&) = delete;
  TesseractReader& operator=(const TesseractReader&) = delete;

  // Loads one engine of each language, so a missing model shows at start and not at the first
  // request. False with a reason when it cannot.
  bool start(std::string& error);

  // The TextRecognizer of the service. Any thread.
  RecognizedText read(const GreyPicture& picture, TextLanguage language);

  struct Engine;

 private:
  std::unique_ptr<Engine> takeEngine(TextLanguage language);
  void giveBack(std::unique_ptr<Engine> engine);
  static RecognizedText readWith(tesseract::TessBaseAPI& api, const GreyPicture& picture);

  const int concurrent_;
  std::mutex lock_;
  std::condition_variable freed_;
  int running_ = 0;
  std::vector<std::unique_ptr<Engine>> idle_;
};

}  // namespace ocr_service
