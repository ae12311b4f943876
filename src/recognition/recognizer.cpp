#include "recognition/recognizer.h"

#include "recognition/text_preparation.h"

namespace recognition {

RecognizedText recognizeScreenshot(Recognizer& recognizer, const GreyPicture& screenshot,
                                   TextLanguage language) {
  const PreparedPicture prepared = prepareForRecognition(screenshot);
  if (prepared.blank) return {};
  try {
    return recognizer.recognize(prepared.picture, language);
  } catch (...) {
    return {false, {}};
  }
}

}  // namespace recognition
