// Question banks as plain text, the way they are commonly passed around: one block a pair,
// the question's lines, then a line starting "答案：" with the answer (its further lines
// follow), and a blank line between blocks:
//
//   question line(s)
//   答案：answer line(s)
//
//   next question
//   答案：...
//
// A line break inside a text is kept as it is (LF or CRLF); the breaks that separate the
// layout's lines may be either. Texts are UTF-8.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace importer {

struct TextPair {
  std::string question;
  std::string answer;
};

// "答案：" in UTF-8; "答案:" with an ASCII colon is read as well.
inline constexpr char kAnswerMarker[] = "\xE7\xAD\x94\xE6\xA1\x88\xEF\xBC\x9A";

// The pairs of the text. A question runs from the line after the last blank line before its
// answer marker (or the start) to that marker; an answer runs from its marker to that blank
// line. Empty lines before the first question are skipped, and the trailing line breaks of
// the last answer are dropped. Text without any marker gives no pair.
std::vector<TextPair> parseBlockText(std::string_view text);

// One block a pair, CRLF between the layout's lines; an empty question gives no line.
void appendBlock(const TextPair& pair, bool first, std::string& out);

// False when the text layout cannot give the pair back as it is: a question holding an empty
// line or ending with a line break, a line of either (past the answer's first) that starts
// with the answer marker, or an answer ending with a line break.
bool blockKeepsPair(std::string_view question, std::string_view answer);

}  // namespace importer
