#include "search/keyword_finder.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define QUORVIX_SSE2_FINDER 1
#endif

namespace search {
namespace {

#ifdef QUORVIX_SSE2_FINDER
// Sixteen places at a time, each tested on the keyword's first and last byte before its
// middle is compared: a Chinese keyword's first byte is a lead byte that most characters of a
// text share, the two together hardly any. Built for SSE2 whatever the target, and used only
// where the processor has it.
__attribute__((target("sse2"))) std::size_t findWide(std::string_view text, std::size_t from,
                                                     std::string_view keyword) {
  const std::size_t m = keyword.size();
  const char* data = text.data();
  const __m128i first = _mm_set1_epi8(keyword[0]);
  const __m128i last = _mm_set1_epi8(keyword[m - 1]);
  std::size_t at = from;
  for (; at + m - 1 + 16 <= text.size(); at += 16) {
    __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + m - 1));
    auto hits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(head, first), _mm_cmpeq_epi8(tail, last))));
    while (hits) {
      std::size_t place = at + static_cast<std::size_t>(__builtin_ctz(hits));
      if (std::memcmp(data + place + 1, keyword.data() + 1, m - 2) == 0) return place;
      hits &= hits - 1;
    }
  }
  return text.find(keyword, at);
}

bool haveSse2() {
#if defined(__x86_64__)
  return true;
#else
  static const bool have = __builtin_cpu_supports("sse2");
  return have;
#endif
}
#endif

}  // namespace

KeywordFinder::KeywordFinder(std::string_view keyword)
    : keyword_(keyword), findable_(keyword.find('\0') == std::string_view::npos) {}

std::size_t KeywordFinder::findBytes(std::string_view text, std::size_t from) const {
  const std::size_t m = keyword_.size();
  if (!findable_ || from > text.size() || text.size() - from < m) return std::string_view::npos;
  if (m == 0) return from;
  if (m == 1) {
    const void* hit = std::memchr(text.data() + from, keyword_[0], text.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data())
               : std::string_view::npos;
  }
#ifdef QUORVIX_SSE2_FINDER
  if (haveSse2()) return findWide(text, from, keyword_);
#endif
  return text.find(keyword_, from);
}

bool KeywordFinder::startsCharacter(std::string_view text, std::size_t at, std::size_t& boundary) {
  // A byte below 0x80 ends a character (it never leads one), so a character starts right
  // after it; from there, or from the known start, every byte up to `at` is 0x80 or more and
  // so begins or ends a two-byte character: `at` starts one when their number is even.
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  std::size_t from = at;
  // Chinese text runs long without a byte below 0x80: eight bytes at a time through it.
  for (std::uint64_t eight; from - boundary >= 8; from -= 8) {
    std::memcpy(&eight, text.data() + from - 8, 8);
    if ((eight & kHighBits) != kHighBits) break;
  }
  while (from > boundary && static_cast<unsigned char>(text[from - 1]) >= 0x80) --from;
  const bool starts = (at - from) % 2 == 0;
  boundary = starts ? at : at + 1;
  return starts;
}

bool KeywordFinder::occursIn(std::string_view text) const {
  if (keyword_.empty()) return true;
  // A place counts only when the walk over whole characters lands on it, so a keyword never
  // matches across two characters.
  std::size_t boundary = 0;
  for (std::size_t at = findBytes(text); at != std::string_view::npos; at = findBytes(text, at + 1))
    if (startsCharacter(text, at, boundary)) return true;
  return false;
}

}  // namespace search
