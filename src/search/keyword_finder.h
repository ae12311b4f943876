// The byte matching of the exact search: where a keyword's bytes stand in program text, and
// whether they stand where a character starts (a byte of 0x80 or more starts a two-byte one).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace search {

class KeywordFinder {
 public:
  explicit KeywordFinder(std::string_view keyword);

  // The first place at or after `from` where the keyword's bytes stand in `text`, whether a
  // character starts there or not; npos when there is none. A keyword holding a zero byte is
  // in no text, as texts end at their first zero.
  std::size_t findBytes(std::string_view text, std::size_t from = 0) const;
  // Whether the keyword stands in `text` where a character starts. An empty keyword does.
  bool occursIn(std::string_view text) const;
  // With `at` a place findBytes gave in `text` and `boundary` a character start at or before
  // it (0 at first): moves `boundary` on to the first character start at or after `at` and
  // says whether that is `at`.
  static bool startsCharacter(std::string_view text, std::size_t at, std::size_t& boundary);

  std::size_t size() const { return keyword_.size(); }

 private:
  std::string keyword_;
  bool findable_;
};

}  // namespace search
