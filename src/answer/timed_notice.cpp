#include "answer/timed_notice.h"

#include "answer/answer_texts.h"
#include "ui/system.h"

namespace answer {

int TimedNotice(const std::string& text, const TimedNoticeOptions& options) {
  std::string caption = options.caption ? *options.caption : texts::gbk(texts::kNoticeCaption);
  return ui::timedMessageBox(text, caption, options.flags.value_or(ui::mb::kOk),
                             options.timeoutMs.value_or(5000)) -
         1;
}

}  // namespace answer
