// TimedNotice: a message box that closes itself after a time-out, for notices the user need
// not answer. The toolkit gives it its owner, the program's first visible top-level window.
#pragma once
#include <optional>
#include <string>

namespace app {

struct TimedNoticeOptions {
  std::optional<unsigned> flags;       // message box style; left out: OK only, no icon
  std::optional<std::string> caption;  // left out: "友情提醒"
  std::optional<unsigned> timeoutMs;   // left out: 5000
};

inline constexpr unsigned kNavigationNoticeMs = 500;

// Shows `text` (GBK) and returns the box's result minus 1 (ui::mb::kIdTimedOut - 1 when it
// closed by itself). Any thread.
int TimedNotice(const std::string& text, const TimedNoticeOptions& options = {});

}  // namespace app
