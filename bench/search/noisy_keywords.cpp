#include "noisy_keywords.h"

#include <algorithm>
#include <map>

#include "platform/cp936.h"
#include "search/lookalike_table.h"
#include "search/text_normalizer.h"

namespace benchsimilar {
namespace {

// Chinese punctuation and the ASCII form a copy or a recognition often gives instead.
const std::u16string_view kChinesePunctuation = u"，。、；：？！（）“”‘’【】《》";
const std::u16string_view kAsciiPunctuation = u",..;:?!()\"\"''[]<>";

bool isAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool isBlank(char16_t c) {
  return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t' || c == 0x3000;
}

// Each look-alike group's members, by member.
const std::map<char16_t, std::u16string>& lookalikeGroups() {
  static const std::map<char16_t, std::u16string> groups = [] {
    std::map<char16_t, std::u16string> byGroup, byMember;
    for (const auto& entry : search::lookalikeEntries()) byGroup[entry.group] += entry.member;
    for (const auto& entry : search::lookalikeEntries())
      byMember[entry.member] = byGroup[entry.group];
    return byMember;
  }();
  return groups;
}

std::string gbk(const std::u16string& text) { return cp936::fromUtf16(text); }

}  // namespace

const std::vector<NoiseKind>& noiseKinds() {
  static const std::vector<NoiseKind> kinds = {
      {Noise::lookalike, "lookalike", "25% of characters that have look-alikes swapped, >= 1"},
      {Noise::dropped, "dropped", "3% of characters dropped, >= 1"},
      {Noise::extra, "extra", "a character from another question after 3% of characters, >= 1"},
      {Noise::blanks, "blanks", "half the line breaks removed; a blank after 10% of characters"},
      {Noise::width, "width", "50% of ASCII and full-width forms swapped"},
      {Noise::punctuation, "punctuation", "50% of punctuation to the other form, 20% dropped"},
      {Noise::letterCase, "case", "50% of letters change case (questions with letters)"},
      {Noise::number, "number", "question number put first: 12. / 12、 / (12) / 第12题"},
      {Noise::options, "options", "four options of 2-8 characters appended"},
      {Noise::line, "line", "one line (or 12-30 characters) found in no other question"},
      {Noise::questionAndMore, "question+more",
       "5-30 characters of other questions before and after"},
      {Noise::combined, "combined",
       "number, look-alikes 10%, dropped 2%, extra 2%, blanks, width, "
       "punctuation, case; options half the time"},
      {Noise::combinedHeavy, "combined heavy",
       "as combined with look-alikes 25%, dropped 5%, "
       "extra 5%"},
      {Noise::combinedLine, "combined line",
       "a line with look-alikes 10%, dropped 2%, extra 2%, "
       "blanks, width, punctuation, case"},
  };
  return kinds;
}

KeywordMaker::KeywordMaker(std::uint32_t seed, const std::vector<std::string>& questions,
                           bool (*isUnique)(const std::string&, const void*), const void* context)
    : random_(seed), isUnique_(isUnique), context_(context) {
  for (const std::string& question : questions) questions_.push_back(cp936::toUtf16(question));
}

std::uint32_t KeywordMaker::below(std::uint32_t n) {
  return n ? static_cast<std::uint32_t>(random_() % n) : 0;
}

bool KeywordMaker::chance(double p) { return random_() < p * 4294967296.0; }

std::u16string KeywordMaker::fragmentOf(std::size_t minLength, std::size_t maxLength,
                                        bool fromEnd) {
  const std::u16string& text = questions_[below(static_cast<std::uint32_t>(questions_.size()))];
  std::size_t length = std::min(text.size(), minLength + below(maxLength - minLength + 1));
  return fromEnd ? text.substr(text.size() - length) : text.substr(0, length);
}

std::u16string KeywordMaker::lookalikes(const std::u16string& text, double rate, bool atLeastOne) {
  const auto& groups = lookalikeGroups();
  std::vector<std::size_t> eligible;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = isAsciiLetter(text[i]) ? (text[i] | 0x20) : text[i];
    if (groups.count(c)) eligible.push_back(i);
  }
  std::u16string out = text;
  std::size_t swapped = 0;
  auto swap = [&](std::size_t i) {
    char16_t c = isAsciiLetter(text[i]) ? (text[i] | 0x20) : text[i];
    const std::u16string& group = groups.at(c);
    char16_t other;
    do other = group[below(static_cast<std::uint32_t>(group.size()))];
    while (other == c);
    out[i] = other;
    ++swapped;
  };
  for (std::size_t i : eligible)
    if (chance(rate)) swap(i);
  if (atLeastOne && !swapped && !eligible.empty())
    swap(eligible[below(static_cast<std::uint32_t>(eligible.size()))]);
  return out;
}

std::u16string KeywordMaker::dropped(const std::u16string& text, double rate, bool atLeastOne) {
  std::u16string out;
  for (char16_t c : text)
    if (isBlank(c) || !chance(rate)) out += c;
  if (atLeastOne && out == text && !text.empty()) {
    std::size_t at = below(static_cast<std::uint32_t>(text.size()));
    out = text.substr(0, at) + text.substr(at + 1);
  }
  return out;
}

std::u16string KeywordMaker::extra(const std::u16string& text, double rate, bool atLeastOne) {
  auto anyCharacter = [&] {
    std::u16string piece;
    while (piece.empty() || isBlank(piece[0])) piece = fragmentOf(1, 1, below(2));
    return piece;
  };
  std::u16string out;
  for (char16_t c : text) {
    out += c;
    if (chance(rate)) out += anyCharacter();
  }
  if (atLeastOne && out == text) {
    std::size_t at = below(static_cast<std::uint32_t>(text.size() + 1));
    out = text.substr(0, at) + anyCharacter() + text.substr(at);
  }
  return out;
}

std::u16string KeywordMaker::blanks(const std::u16string& text) {
  std::u16string out;
  for (char16_t c : text) {
    if (c == u'\n' && chance(0.5)) continue;
    out += c;
    if (chance(0.1)) out += chance(0.5) ? u' ' : u'\n';
  }
  return out;
}

std::u16string KeywordMaker::width(const std::u16string& text) {
  std::u16string out = text;
  for (char16_t& c : out) {
    if (c > 0x20 && c < 0x7F && chance(0.5))
      c = static_cast<char16_t>(c + 0xFEE0);
    else if (c >= 0xFF01 && c <= 0xFF5E && chance(0.5))
      c = static_cast<char16_t>(c - 0xFEE0);
  }
  return out;
}

std::u16string KeywordMaker::punctuation(const std::u16string& text) {
  std::u16string out;
  for (char16_t c : text) {
    std::size_t chinese = kChinesePunctuation.find(c), ascii = kAsciiPunctuation.find(c);
    if (chinese == std::u16string_view::npos && ascii == std::u16string_view::npos) {
      out += c;
    } else if (chance(0.2)) {
      continue;
    } else if (chance(0.5 / 0.8)) {
      out += chinese != std::u16string_view::npos ? kAsciiPunctuation[chinese]
                                                  : kChinesePunctuation[ascii];
    } else {
      out += c;
    }
  }
  return out;
}

std::u16string KeywordMaker::letterCase(const std::u16string& text) {
  std::u16string out = text;
  for (char16_t& c : out)
    if (isAsciiLetter(c) && chance(0.5)) c ^= 0x20;
  return out;
}

std::u16string KeywordMaker::number(const std::u16string& text) {
  // A number the question has already gives way to the new one.
  std::size_t own = search::questionNumberLength(gbk(text));
  std::u16string rest = cp936::toUtf16(gbk(text).substr(own));
  std::string n = std::to_string(1 + below(60));
  std::u16string digits(n.begin(), n.end());
  switch (below(4)) {
    case 0:
      return digits + u". " + rest;
    case 1:
      return digits + u"、" + rest;
    case 2:
      return u"(" + digits + u")" + rest;
    default:
      return u"第" + digits + u"题 " + rest;
  }
}

std::u16string KeywordMaker::options() {
  std::u16string out;
  for (char16_t letter : std::u16string_view(u"ABCD")) {
    std::u16string text;
    for (char16_t c : fragmentOf(8, 8, below(2)))
      if (!isBlank(c)) text += c;
    text = text.substr(0, 2 + below(7));
    out += (letter == u'A' || letter == u'C' ? u"\n" : u"  ") + std::u16string(1, letter) + u"．" +
           text;
  }
  return out;
}

std::u16string KeywordMaker::line(const std::u16string& text) {
  auto usable = [&](const std::u16string& piece) {
    std::size_t chars =
        std::count_if(piece.begin(), piece.end(), [](char16_t c) { return !isBlank(c); });
    return chars >= 8 && isUnique_(gbk(piece), context_);
  };
  std::vector<std::u16string> lines;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = std::min(text.find(u'\n', start), text.size());
    std::u16string piece = text.substr(start, end - start);
    if (usable(piece) && piece != text) lines.push_back(piece);
    start = end + 1;
  }
  if (!lines.empty()) return lines[below(static_cast<std::uint32_t>(lines.size()))];
  for (int attempt = 0; attempt < 10 && text.size() > 12; ++attempt) {
    std::size_t length = std::min<std::size_t>(text.size() - 1, 12 + below(19));
    std::u16string piece =
        text.substr(below(static_cast<std::uint32_t>(text.size() - length + 1)), length);
    if (usable(piece)) return piece;
  }
  return {};
}

std::string KeywordMaker::make(Noise noise, std::size_t index) {
  const std::u16string& text = questions_[index];
  std::u16string out;
  switch (noise) {
    case Noise::lookalike:
      out = lookalikes(text, 0.25, true);
      break;
    case Noise::dropped:
      out = dropped(text, 0.03, true);
      break;
    case Noise::extra:
      out = extra(text, 0.03, true);
      break;
    case Noise::blanks:
      out = blanks(text);
      break;
    case Noise::width:
      out = width(text);
      break;
    case Noise::punctuation:
      out = punctuation(text);
      break;
    case Noise::letterCase:
      if (std::none_of(text.begin(), text.end(), isAsciiLetter)) return {};
      out = letterCase(text);
      break;
    case Noise::number:
      out = number(text);
      break;
    case Noise::options:
      out = text + options();
      break;
    case Noise::line:
      out = line(text);
      break;
    case Noise::questionAndMore:
      out = fragmentOf(5, 30, true) + u"\n" + text + u"\n" + fragmentOf(5, 30, false);
      break;
    case Noise::combined:
    case Noise::combinedHeavy: {
      bool heavy = noise == Noise::combinedHeavy;
      out = lookalikes(text, heavy ? 0.25 : 0.1, false);
      out = extra(dropped(out, heavy ? 0.05 : 0.02, false), heavy ? 0.05 : 0.02, false);
      if (chance(0.5)) out += options();
      out = number(letterCase(punctuation(width(blanks(out)))));
      break;
    }
    case Noise::combinedLine:
      out = line(text);
      if (out.empty()) return {};
      out = extra(dropped(lookalikes(out, 0.1, false), 0.02, false), 0.02, false);
      out = letterCase(punctuation(width(blanks(out))));
      break;
  }
  return gbk(out);
}

}  // namespace benchsimilar
