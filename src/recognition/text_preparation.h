// Making a screenshot of text what the recogniser reads best: dark text on white whatever the
// screen showed (light text on a dark background is turned over), full contrast, text lines
// scaled up to a height the recogniser was trained on, and a white margin around them.
#pragma once
#include "recognition/grey_picture.h"

namespace recognition {

// Height of a text line's ink, in pixels, that small screen text is scaled up to. The engine
// reads 14 to 20 pixel screen text scaled to about 20 at least as well as scaled to 48, in about
// two thirds of the time; larger text is left as it is.
inline constexpr int kPreferredInkHeight = 20;
// Text is scaled up at most this much, and the result kept within this many pixels.
inline constexpr double kMaxUpscale = 4.0;
inline constexpr long kMaxPreparedPixels = 24L << 20;

struct PreparedPicture {
  bool blank = false;   // nothing stands out from the background: no text to look for
  bool turned = false;  // the text was lighter than its background
  double scale = 1;
  GreyPicture picture;  // dark text on white
};

PreparedPicture prepareForRecognition(const GreyPicture& screenshot);

// The median height of the text lines' ink in a picture of dark text on white (0 when none).
int medianLineHeight(const GreyPicture& picture);

// Bilinear resampling to the given size (at least 1 x 1).
GreyPicture resized(const GreyPicture& picture, int width, int height);

}  // namespace recognition
