// Noisy keywords made from bank questions the way screen text gets them wrong, for the
// accuracy benchmark of the similar-question ranking. Deterministic for a given seed.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace benchsimilar {

enum class Noise {
  lookalike,
  dropped,
  extra,
  blanks,
  width,
  punctuation,
  letterCase,
  number,
  options,
  line,
  questionAndMore,
  combined,
  combinedHeavy,
  combinedLine,
};

struct NoiseKind {
  Noise noise;
  const char* name;
  const char* rate;  // what the kind does, at which rate
};
const std::vector<NoiseKind>& noiseKinds();

class KeywordMaker {
 public:
  // `questions`: the texts the bank holds (GBK). `isUnique(gbk)` tells whether a piece of text
  // occurs in one question text only, so a line picked as keyword names one question.
  KeywordMaker(std::uint32_t seed, const std::vector<std::string>& questions,
               bool (*isUnique)(const std::string& gbk, const void* context), const void* context);

  // A keyword (GBK) of the kind made from question `index`; empty when the kind has nothing to
  // work on in that question (no letters to change the case of, no line of its own).
  std::string make(Noise noise, std::size_t index);

 private:
  std::uint32_t below(std::uint32_t n);
  bool chance(double p);
  std::u16string fragmentOf(std::size_t minLength, std::size_t maxLength, bool fromEnd);

  std::u16string lookalikes(const std::u16string& text, double rate, bool atLeastOne);
  std::u16string dropped(const std::u16string& text, double rate, bool atLeastOne);
  std::u16string extra(const std::u16string& text, double rate, bool atLeastOne);
  std::u16string blanks(const std::u16string& text);
  std::u16string width(const std::u16string& text);
  std::u16string punctuation(const std::u16string& text);
  std::u16string letterCase(const std::u16string& text);
  std::u16string number(const std::u16string& text);
  std::u16string options();
  std::u16string line(const std::u16string& text);

  std::mt19937 random_;
  std::vector<std::u16string> questions_;
  bool (*isUnique_)(const std::string&, const void*);
  const void* context_;
};

}  // namespace benchsimilar
