// A screenshot selection turned into the answer form's keyword, and searched.
#pragma once
#include <future>
#include <memory>
#include <string>

#include "capture/ocr_client.h"
#include "platform/worker.h"
#include "ui/types.h"

namespace app {

// Call when a screenshot selection ends, from any thread, with the selection as the bytes of a
// BMP file (any picture the image codec reads will do). Returns at once; the caller never
// waits. The recognition runs as one of `workers`, and its outcome is dropped once they are
// gone.
//
// The bytes become this recognition's own, so a later selection never changes what an earlier
// one sends. A worker thread of its own re-encodes them as JPEG and asks the OCR service
// through `ocr` (a refused token is fetched again once). What comes of it then happens on the
// user-interface thread as an event of `answerForm`, and not at all when that form is gone:
// - text: the recognised lines, joined with nothing between them, replace the content of
//   编辑框1 and the form searches for them, whatever 选择框_自动搜索 says;
// - a picture without text: 编辑框1 is emptied and no search starts;
// - a failure (no access token held, the service unreachable, the token refused, an error
//   reply): a short self-closing notice says which, and 编辑框1 keeps what it held.
// Empty bytes do nothing at all.
// When `tokenFetch` is given, the recognition first waits for that fetch to end: a selection made
// while the token is still on its way is sent with it instead of failing for want of one.
void recognizeIntoAnswerForm(platform::OneShots& workers, std::shared_ptr<capture::OcrClient> ocr,
                             ui::FormHandle answerForm, std::string bmpBytes,
                             std::shared_future<void> tokenFetch = {});

// A recognition's outcome posted to the answer form as described above. Any thread.
void deliverRecognition(ui::FormHandle answerForm, const capture::Recognition& recognition);

}  // namespace app
