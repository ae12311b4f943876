#include "import/block_text_format.h"

namespace importer {
namespace {

constexpr std::string_view kAsciiMarker = "\xE7\xAD\x94\xE6\xA1\x88:";

struct Line {
  std::string_view content;     // without its line break
  std::string_view terminator;  // "\n", "\r\n" or "" for the last line
};

std::vector<Line> splitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) {
      lines.push_back({text.substr(from), {}});
      break;
    }
    const bool crlf = end > from && text[end - 1] == '\r';
    const std::size_t contentEnd = crlf ? end - 1 : end;
    lines.push_back(
        {text.substr(from, contentEnd - from), text.substr(contentEnd, end + 1 - contentEnd)});
    from = end + 1;
  }
  return lines;
}

std::size_t markerLength(std::string_view line) {
  if (line.substr(0, sizeof kAnswerMarker - 1) == kAnswerMarker) return sizeof kAnswerMarker - 1;
  if (line.substr(0, kAsciiMarker.size()) == kAsciiMarker) return kAsciiMarker.size();
  return 0;
}

// Lines [first, end) joined with their own line breaks, the last one's left off.
std::string joined(const std::vector<Line>& lines, std::size_t first, std::size_t end,
                   std::size_t skipPrefix = 0) {
  std::string out;
  for (std::size_t i = first; i < end; ++i) {
    out += lines[i].content.substr(i == first ? skipPrefix : 0);
    if (i + 1 < end) out += lines[i].terminator;
  }
  return out;
}

}  // namespace

std::vector<TextPair> parseBlockText(std::string_view text) {
  const auto lines = splitLines(text);
  std::vector<std::size_t> markers;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (markerLength(lines[i].content) > 0) markers.push_back(i);

  std::vector<TextPair> pairs;
  std::size_t questionStart = 0;
  // Leading blank lines open no question.
  while (questionStart < lines.size() && lines[questionStart].content.empty() &&
         (markers.empty() || questionStart < markers[0]))
    ++questionStart;
  for (std::size_t k = 0; k < markers.size(); ++k) {
    const std::size_t marker = markers[k];
    TextPair pair;
    pair.question = joined(lines, questionStart, marker);
    // The answer ends at the last empty line before the next marker, or at the end.
    std::size_t answerEnd = lines.size();
    if (k + 1 < markers.size()) {
      answerEnd = markers[k + 1];
      std::size_t separator = answerEnd;
      for (std::size_t i = markers[k + 1]; i > marker + 1; --i)
        if (lines[i - 1].content.empty()) {
          separator = i - 1;
          break;
        }
      answerEnd = separator;
      questionStart = separator == markers[k + 1] ? separator : separator + 1;
    } else {
      while (answerEnd > marker + 1 && lines[answerEnd - 1].content.empty()) --answerEnd;
    }
    pair.answer = joined(lines, marker, answerEnd, markerLength(lines[marker].content));
    pairs.push_back(std::move(pair));
  }
  return pairs;
}

void appendBlock(const TextPair& pair, bool first, std::string& out) {
  if (!first) out += "\r\n";
  // An empty question has no line: the block starts with its answer.
  if (!pair.question.empty()) {
    out += pair.question;
    out += "\r\n";
  }
  out += kAnswerMarker;
  out += pair.answer;
  out += "\r\n";
}

bool blockKeepsPair(std::string_view question, std::string_view answer) {
  if (!question.empty() && question.back() == '\n') return false;
  if (!answer.empty() && answer.back() == '\n') return false;
  for (const auto& line : splitLines(question))
    if (line.content.empty() || markerLength(line.content) > 0) return false;
  const auto answerLines = splitLines(answer);
  for (std::size_t i = 1; i < answerLines.size(); ++i)
    if (markerLength(answerLines[i].content) > 0) return false;
  return true;
}

}  // namespace importer
