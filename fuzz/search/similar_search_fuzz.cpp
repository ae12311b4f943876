// The similar-question ranking on arbitrary bytes: the input split at NUL bytes gives the
// keyword, then the questions. The one-pass scan and the index must agree, and every result
// must name a question and score within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "search/similar_index.h"
#include "search/similar_search.h"
#include "search/text_normalizer.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

bool isBoundary(std::string_view text, std::size_t pos) {
  std::size_t at = 0;
  while (at < pos) {
    bool pair = static_cast<unsigned char>(text[at]) >= 0x81 &&
                static_cast<unsigned char>(text[at]) <= 0xFE && at + 1 < text.size() &&
                text[at + 1] != '\0';
    at += pair ? 2 : 1;
  }
  return at == pos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    std::size_t cut = input.find('\0', start);
    parts.push_back(input.substr(start, cut == std::string_view::npos ? cut : cut - start));
    if (cut == std::string_view::npos) break;
    start = cut + 1;
  }
  std::string_view keyword = parts[0];
  std::vector<std::string_view> questions(parts.begin() + 1, parts.end());

  for (std::string_view text : parts) {
    std::size_t number = search::questionNumberLength(text);
    require(number <= text.size() && isBoundary(text, number));
    std::size_t options = search::trailingOptionsStart(text);
    require(options == std::string::npos || (options < text.size() && isBoundary(text, options)));
    std::vector<search::NormalUnit> units;
    std::size_t used = search::normalizeText(text, units, 64);
    require(units.size() <= 64 && used <= text.size() && isBoundary(text, used));
    for (search::NormalUnit unit : units) require(search::unitGroup(unit) != 0);
  }

  search::SimilarOptions options{.maxResults = 3, .threshold = 0};
  auto scanned = search::rankSimilar(questions, keyword, options);
  auto indexed = search::SimilarIndex(questions).rank(questions, keyword, options);
  require(scanned.size() == indexed.size() && scanned.size() <= options.maxResults);
  for (std::size_t i = 0; i < scanned.size(); ++i) {
    require(scanned[i].index == indexed[i].index && scanned[i].score == indexed[i].score);
    require(scanned[i].index < questions.size());
    require(scanned[i].score > 0 && scanned[i].score <= 1);
    if (i) require(scanned[i].score <= scanned[i - 1].score);
  }
  return 0;
}
