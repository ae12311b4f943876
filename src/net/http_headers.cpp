#include "net/http_headers.h"

#include "net/http_constants.h"
#include "platform/gbk_text.h"

namespace net {
namespace {

constexpr std::string_view kCrLf = "\r\n";

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// First byte upper-cased, the rest untouched; a lead byte of a double-byte character stays.
std::string capitalised(std::string_view part) {
  std::string out(part);
  if (!out.empty()) out[0] = upperAscii(out[0]);
  return out;
}

bool contains(std::string_view text, std::string_view needle) {
  return gbk::find(text, needle, 0, /*ignoreCase=*/true) != gbk::npos;
}

}  // namespace

std::string TrimSpaces(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string HeaderName(std::string_view line) {
  std::size_t colon = gbk::find(line, ":");
  if (colon == gbk::npos) return {};
  return TrimSpaces(line.substr(0, colon));
}

std::string HeaderValue(std::string_view line) {
  std::size_t colon = gbk::find(line, ":");
  if (colon == gbk::npos) return {};
  return TrimSpaces(line.substr(colon + 1));
}

std::vector<std::string> SplitLines(std::string_view text) { return gbk::split(text, kCrLf); }

std::string NormaliseHeaderNames(std::string_view headerText) {
  std::string out;
  bool first = true;
  for (const std::string& line : SplitLines(headerText)) {
    std::size_t colon = gbk::find(line, ":");
    if (colon == gbk::npos) continue;
    std::string_view name = std::string_view(line).substr(0, colon);
    std::string newName;
    if (gbk::find(name, "-") == gbk::npos) {
      newName = capitalised(name);
    } else {
      bool firstPart = true;
      for (const std::string& part : gbk::split(name, "-")) {
        if (!firstPart) newName += '-';
        newName += capitalised(part);
        firstPart = false;
      }
    }
    if (!first) out += kCrLf;
    out += newName;
    out.append(line, colon, std::string::npos);
    first = false;
  }
  return out;
}

std::string CompleteStandardHeaders(std::string headerText, std::string_view url,
                                    bool withUserAgent, bool forPost) {
  if (!contains(headerText, "Accept:")) headerText += "\r\nAccept: */*";
  if (!contains(headerText, "Referer:")) (headerText += "\r\nReferer: ") += url;
  if (!contains(headerText, "Accept-Language:")) headerText += "\r\nAccept-Language: zh-cn";
  if (withUserAgent && !contains(headerText, "User-Agent:"))
    (headerText += "\r\nUser-Agent: ") += kDefaultUserAgent;
  if (forPost && !contains(headerText, "Content-Type:"))
    headerText += "\r\nContent-Type: application/x-www-form-urlencoded";
  return headerText;
}

}  // namespace net
