#include "net/http_cookies.h"

#include <set>
#include <vector>

#include "net/http_headers.h"
#include "net/text_between.h"
#include "platform/gbk_text.h"

namespace net {
namespace {

constexpr std::string_view kSeparator = "; ";

// Trimmed; a text ending in ";" is read as if its last item were followed by "; ".
std::vector<std::string> cookieItems(std::string_view text) {
  std::string trimmed = TrimSpaces(text);
  if (!trimmed.empty() && trimmed.back() == ';') trimmed += ' ';
  std::vector<std::string> items;
  // An empty item is no cookie: it would only leave a stray separator in the result.
  for (std::string& item : gbk::split(trimmed, kSeparator))
    if (!item.empty()) items.push_back(std::move(item));
  return items;
}

bool endsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string joined(const std::vector<std::string>& items, std::string_view separator) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += separator;
    out += items[i];
  }
  return out;
}

}  // namespace

std::string CollectResponseCookies(std::string_view responseHeaders) {
  std::string out;
  for (const std::string& line : SplitLines(responseHeaders)) {
    // Field names are case-insensitive: gateways send "set-cookie" as often as "Set-Cookie".
    const std::size_t colon = gbk::find(line, ":");
    if (colon == gbk::npos || gbk::toLowerAscii(TrimSpaces(line.substr(0, colon))) != "set-cookie")
      continue;
    std::string_view value = std::string_view(line).substr(colon + 1);
    value = value.substr(0, gbk::find(value, ";"));
    // An empty item is no cookie, and would leave a separator at the end.
    std::string item = TrimSpaces(value);
    if (item.empty()) continue;
    out += item;
    out += kSeparator;
  }
  if (endsWith(out, kSeparator)) out.resize(out.size() - kSeparator.size());
  return out;
}

std::string CookieName(std::string_view item) {
  std::size_t equals = gbk::find(item, "=");
  return TrimSpaces(equals == gbk::npos ? item : item.substr(0, equals));
}

std::string MergeCookies(std::string_view sent, std::string_view received) {
  std::vector<std::string> merged = cookieItems(received);
  for (std::string& item : cookieItems(sent)) {
    std::string name = CookieName(item);
    bool named = false;
    for (std::size_t i = 0; i < merged.size() && !named; ++i) named = CookieName(merged[i]) == name;
    if (!named) merged.push_back(std::move(item));
  }
  std::vector<std::string> kept;
  for (std::string& item : merged)
    if (!endsWith(item, "=deleted")) kept.push_back(std::move(item));
  return RemoveDuplicateItems(joined(kept, kSeparator), kSeparator);
}

std::string RemoveDuplicateItems(std::string_view text, std::string_view separator) {
  std::vector<std::string> kept;
  std::set<std::string> seen;
  for (std::string& item : gbk::split(text, separator))
    if (seen.insert(item).second) kept.push_back(std::move(item));
  return joined(kept, separator);
}

}  // namespace net
