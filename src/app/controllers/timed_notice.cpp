#include "app/controllers/timed_notice.h"

#include "app/controllers/answer_texts.h"
#include "ui/system.h"

namespace app {

int TimedNotice(const std::string& text, const TimedNoticeOptions& options) {
  std::string caption = options.caption ? *options.caption : gbk(answer_texts::kNoticeCaption);
  return ui::timedMessageBox(text, caption, options.flags.value_or(ui::mb::kOk),
                             options.timeoutMs.value_or(5000)) -
         1;
}

}  // namespace app
