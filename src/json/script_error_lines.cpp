#include "json/script_error_lines.h"

namespace json {
namespace {

// Bytes the engine's string form spends on one UTF-16 unit.
std::size_t engineLength(char16_t unit) { return unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3; }

std::u16string lineAround(std::u16string_view text, std::size_t lineStart) {
  std::size_t end = text.find(u'\n', lineStart);
  if (end == std::u16string_view::npos) end = text.size();
  if (end > lineStart && text[end - 1] == u'\r') --end;
  return std::u16string(text.substr(lineStart, end - lineStart));
}

}  // namespace

SourcePosition positionOfJsonError(std::u16string_view jsonText, std::u16string_view message) {
  constexpr std::u16string_view kMarker = u"(at offset ";
  const std::size_t at = message.find(kMarker);
  if (at == std::u16string_view::npos) return {};
  std::size_t offset = 0;
  bool anyDigit = false;
  for (std::size_t i = at + kMarker.size(); i < message.size(); ++i) {
    if (message[i] < u'0' || message[i] > u'9') break;
    if (offset > jsonText.size() * 3) break;  // already past the end
    offset = offset * 10 + std::size_t(message[i] - u'0');
    anyDigit = true;
  }
  if (!anyDigit) return {};

  // The offset is just past the character the parser stopped at.
  const std::size_t target = offset > 0 ? offset - 1 : 0;
  SourcePosition position;
  position.line = 1;
  std::size_t lineStart = 0, unit = 0;
  for (std::size_t bytes = 0; unit < jsonText.size(); ++unit) {
    bytes += engineLength(jsonText[unit]);
    if (bytes > target) break;
    if (jsonText[unit] == u'\n') {
      ++position.line;
      lineStart = unit + 1;
    }
  }
  position.column = int(unit - lineStart) + 1;
  position.lineText = lineAround(jsonText, lineStart);
  return position;
}

SourcePosition positionOfScriptError(std::u16string_view script, std::u16string_view errorName,
                                     int line) {
  SourcePosition position;
  position.line = line;
  if (errorName != u"SyntaxError" || line <= 0) return position;
  std::size_t lineStart = 0;
  for (int n = 1; n < line; ++n) {
    lineStart = script.find(u'\n', lineStart);
    if (lineStart == std::u16string_view::npos) return position;
    ++lineStart;
  }
  position.lineText = lineAround(script, lineStart);
  return position;
}

}  // namespace json
