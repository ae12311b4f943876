#include "recognition/tesseract_engine.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "recognition/line_text.h"

namespace recognition {
namespace {

// A selection bigger than any screen, full of small text, takes a few seconds; nothing should
// take longer than this.
constexpr int kRecognitionDeadlineMs = 20000;

// The engine reads its model files through this: the names it composes are UTF-8, and on Windows
// its own narrow-character file opening would fail for a program folder with a Chinese name.
bool readModelFile(const char* name, std::vector<char>* data) {
  const std::optional<std::string> bytes = platform::readFile(pathFromUtf8(name));
  if (!bytes) return false;
  data->assign(bytes->begin(), bytes->end());
  return true;
}

}  // namespace

struct TesseractEngine::Engine {
  TextLanguage language = TextLanguage::kChineseAndEnglish;
  tesseract::TessBaseAPI api;

  bool load(const std::string& dataFolder, const std::string& models) {
    if (api.Init(dataFolder.c_str(), 0, models.c_str(), tesseract::OEM_LSTM_ONLY, nullptr, 0,
                 nullptr, nullptr, false, readModelFile) != 0)
      return false;
    // With several models the engine goes on without one it cannot read; that is a failure.
    std::vector<std::string> loaded;
    api.GetLoadedLanguagesAsVector(&loaded);
    std::size_t wanted = 0;
    for (std::size_t start = 0; start <= models.size(); ++wanted) {
      const std::size_t end = std::min(models.find('+', start), models.size());
      if (end == start) --wanted;
      start = end + 1;
    }
    if (loaded.size() != wanted) return false;
    // A selection is one block of lines: the question, its number and its options.
    api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    // The picture comes turned to dark text on white already; reading doubtful lines a
    // second time turned over costs time and gained nothing.
    api.SetVariable("tessedit_do_invert", "0");
#ifdef _WIN32
    api.SetVariable("debug_file", "NUL");
#else
    api.SetVariable("debug_file", "/dev/null");
#endif
    return true;
  }
};

TesseractEngine::TesseractEngine(const EngineSettings& settings) : settings_(settings) {}

TesseractEngine::~TesseractEngine() = default;

std::unique_ptr<TesseractEngine> TesseractEngine::load(const EngineSettings& settings,
                                                       LoadProblem& problem) {
  problem = checkDataFolder(settings);
  if (problem.error != LoadError::kNone) return nullptr;
  setMsgSeverity(settings.libraryMessages ? L_SEVERITY_EXTERNAL : L_SEVERITY_NONE);
  std::unique_ptr<TesseractEngine> engine(new TesseractEngine(settings));
  for (TextLanguage language : {TextLanguage::kChineseAndEnglish, TextLanguage::kEnglish}) {
    const std::string& models =
        language == TextLanguage::kEnglish ? settings.englishModels : settings.chineseModels;
    auto one = std::make_unique<Engine>();
    one->language = language;
    if (!one->load(settings.dataFolder, models)) {
      // Name the file at fault: the first model that does not load on its own.
      const std::vector<std::string> files = modelFiles(settings.dataFolder, models);
      problem = {LoadError::kDamagedModel, files.front()};
      std::size_t start = 0;
      for (const std::string& file : files) {
        const std::size_t end = std::min(models.find('+', start), models.size());
        Engine alone;
        if (!alone.load(settings.dataFolder, models.substr(start, end - start))) {
          problem.path = file;
          break;
        }
        start = end + 1;
      }
      return nullptr;
    }
    engine->idle_.push_back(std::move(one));
  }
  return engine;
}

std::unique_ptr<TesseractEngine::Engine> TesseractEngine::takeEngine(TextLanguage language) {
  std::unique_lock<std::mutex> hold(lock_);
  freed_.wait(hold, [&] { return running_ < std::max(1, settings_.concurrent); });
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
  const std::string& models =
      language == TextLanguage::kEnglish ? settings_.englishModels : settings_.chineseModels;
  if (!engine->load(settings_.dataFolder, models)) engine.reset();
  return engine;
}

void TesseractEngine::giveBack(std::unique_ptr<Engine> engine) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    --running_;
    if (engine) idle_.push_back(std::move(engine));
  }
  freed_.notify_one();
}

RecognizedText TesseractEngine::recognize(const GreyPicture& prepared, TextLanguage language) {
  std::unique_ptr<Engine> engine = takeEngine(language);
  if (!engine) {
    giveBack(nullptr);
    return {false, {}};
  }
  RecognizedText text;
  try {
    text = readWith(engine->api, prepared);
  } catch (...) {
    // An engine that failed half-way is not used again.
    engine.reset();
    text = {false, {}};
  }
  giveBack(std::move(engine));
  return text;
}

RecognizedText TesseractEngine::readWith(tesseract::TessBaseAPI& api, const GreyPicture& picture) {
  RecognizedText text;
  if (picture.width <= 0 || picture.height <= 0) return text;
  if (picture.pixels.size() < std::size_t(picture.width) * std::size_t(picture.height))
    return {false, {}};
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

}  // namespace recognition
