#include "ocr_service/tesseract_reader.h"

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>

#include "ocr_service/line_text.h"

namespace ocr_service {
namespace {

// A selection bigger than any screen, full of small text, takes a few seconds; nothing should
// take longer than this.
constexpr int kRecognitionDeadlineMs = 20000;

const char* modelsOf(TextLanguage language) {
  return language == TextLanguage::kEnglish ? "eng" : "chi_sim+eng";
}

}  // namespace

struct TesseractReader::Engine {
  TextLanguage language;
  tesseract::TessBaseAPI api;

  bool load(std::string& error) {
    if (api.Init(nullptr, modelsOf(language), tesseract::OEM_LSTM_ONLY) != 0) {
      error = std::string("cannot load the recognition models \"") + modelsOf(language) +
              "\" (are tesseract-ocr-chi-sim and tesseract-ocr-eng installed?)";
      return false;
    }
    // A selection is one block of lines: the question, its number and its options.
    api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    api.SetVariable("debug_file", "/dev/null");
    return true;
  }
};

TesseractReader::TesseractReader(int concurrent) : concurrent_(std::max(1, concurrent)) {}

TesseractReader::~TesseractReader() = default;

bool TesseractReader::start(std::string& error) {
  for (TextLanguage language : {TextLanguage::kChineseAndEnglish, TextLanguage::kEnglish}) {
    auto engine = std::make_unique<Engine>();
    engine->language = language;
    if (!engine->load(error)) return false;
    idle_.push_back(std::move(engine));
  }
  return true;
}

std::unique_ptr<TesseractReader::Engine> TesseractReader::takeEngine(TextLanguage language) {
  std::unique_lock<std::mutex> hold(lock_);
  freed_.wait(hold, [&] { return running_ < concurrent_; });
  ++running_;
  auto found = std::find_if(idle_.begin(), idle_.end(),
                            [&](const auto& engine) { return engine->language == language; });
  if (found != idle_.end()) {
    auto engine = std::move(*found);
    idle_.erase(found);
    return engine;
  }
  hold.unlock();
  auto engine = std::make_unique<Engine>();
  engine->language = language;
  std::string error;
  if (!engine->load(error)) engine.reset();
  return engine;
}

void TesseractReader::giveBack(std::unique_ptr<Engine> engine) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    --running_;
    if (engine) idle_.push_back(std::move(engine));
  }
  freed_.notify_one();
}

RecognizedText TesseractReader::read(const GreyPicture& picture, TextLanguage language) {
  std::unique_ptr<Engine> engine = takeEngine(language);
  if (!engine) {
    giveBack(nullptr);
    return {false, {}};
  }
  RecognizedText text;
  try {
    text = readWith(engine->api, picture);
  } catch (...) {
    // An engine that failed half-way is not used again.
    engine.reset();
    text = {false, {}};
  }
  giveBack(std::move(engine));
  return text;
}

RecognizedText TesseractReader::readWith(tesseract::TessBaseAPI& api, const GreyPicture& picture) {
  RecognizedText text;
  api.SetImage(picture.pixels.data(), picture.width, picture.height, 1, picture.width);
  // Screen text scaled up to print size reads best when the engine takes it for print.
  api.SetSourceResolution(300);
  tesseract::ETEXT_DESC monitor;
  monitor.set_deadline_msecs(kRecognitionDeadlineMs);
  if (api.Recognize(&monitor) != 0) {
    text.ok = false;
  } else if (std::unique_ptr<tesseract::ResultIterator> line{api.GetIterator()}) {
    do {
      std::unique_ptr<char[]> utf8{line->GetUTF8Text(tesseract::RIL_TEXTLINE)};
      if (!utf8) continue;
      std::string tidy = tidyLine(utf8.get());
      if (!tidy.empty()) text.lines.push_back(std::move(tidy));
    } while (line->Next(tesseract::RIL_TEXTLINE));
  }
  api.Clear();
  return text;
}

}  // namespace ocr_service
