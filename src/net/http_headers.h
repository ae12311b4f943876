// Header-text helpers shared by both request routes: header lines are "Name: value" texts
// joined by CR LF, in program text (GBK), searched a whole character at a time.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace net {

// The text before the first ":" of a line, trimmed of spaces; empty when there is no ":".
std::string HeaderName(std::string_view line);
// The text after the first ":" of a line, trimmed of spaces; empty when there is no ":".
std::string HeaderValue(std::string_view line);

// Capitalises the name of every header line ("content-type" -> "Content-Type", each part
// after a "-" too; only ASCII a-z change) and drops lines without ":". Lines are joined with
// CR LF, without one after the last.
std::string NormaliseHeaderNames(std::string_view headerText);

// Appends each standard header whose name (with its colon) occurs nowhere in the text,
// case-insensitively: "Accept", "Referer" (the url), "Accept-Language", then "User-Agent" when
// withUserAgent, then the form "Content-Type" when forPost. Each is preceded by CR LF.
std::string CompleteStandardHeaders(std::string headerText, std::string_view url,
                                    bool withUserAgent, bool forPost);

// Splits a text at CR LF (whole characters only).
std::vector<std::string> SplitLines(std::string_view text);

// Text without the spaces at both ends.
std::string TrimSpaces(std::string_view text);

}  // namespace net
