#include "net/text_between.h"

#include "platform/gbk_text.h"

namespace net {
namespace {

// "#引号" in code page 936.
constexpr std::string_view kQuoteWord = "#\xD2\xFD\xBA\xC5";

}  // namespace

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start, bool ignoreCase) {
  const std::string leftMarker = gbk::replaceAll(left, kQuoteWord, "\"");
  const std::string rightMarker = gbk::replaceAll(right, kQuoteWord, "\"");
  const std::size_t from = start > 1 ? std::size_t(start - 1) : 0;
  const std::size_t leftAt = gbk::find(text, leftMarker, from, ignoreCase);
  if (leftAt == gbk::npos) return {};
  const std::size_t valueAt = leftAt + leftMarker.size();
  const std::size_t rightAt = gbk::find(text, rightMarker, valueAt, ignoreCase);
  if (rightAt == gbk::npos) return {};
  return std::string(text.substr(valueAt, rightAt - valueAt));
}

}  // namespace net
