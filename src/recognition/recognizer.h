// The one way every front end recognises text: a recogniser reads a prepared picture (dark text
// on white) as lines in reading order. The local engine and any remote one stand behind it.
#pragma once
#include <string>
#include <vector>

#include "recognition/grey_picture.h"

namespace recognition {

enum class TextLanguage { kChineseAndEnglish, kEnglish };

// `ok` is false when the engine failed; no lines with `ok` means the picture holds no text.
struct RecognizedText {
  bool ok = true;
  std::vector<std::string> lines;
};

class Recognizer {
 public:
  virtual ~Recognizer() = default;
  // UTF-8 lines, each tidied as the cloud provider writes them. May be called from several
  // threads at once.
  virtual RecognizedText recognize(const GreyPicture& prepared, TextLanguage language) = 0;
};

// A screenshot selection from end to end: made ready (see text_preparation.h), then read. A
// selection with nothing standing out from its background is not handed to the engine.
RecognizedText recognizeScreenshot(Recognizer& recognizer, const GreyPicture& screenshot,
                                   TextLanguage language = TextLanguage::kChineseAndEnglish);

}  // namespace recognition
