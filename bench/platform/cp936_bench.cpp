// The CP936 codec against glibc's iconv converter, on real exam text: compare the rates of
// the two rows of each pair (ours / iconv) printed in the same run.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <fstream>
#include <string>

#include "platform/cp936.h"
#include "platform/utf8.h"

namespace {

// The exam questions as one UTF-8 text (the JSON escapes do no harm to the measurement).
const std::string& sampleUtf8() {
  static const std::string text = [] {
    std::ifstream in(QUORVIX_FIXTURES "/questions/gaokao_pairs.jsonl", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  return text;
}

const std::string& sampleGbk() {
  static const std::string text = cp936::fromUtf8(sampleUtf8());
  return text;
}

const std::u16string& sampleUtf16() {
  static const std::u16string text = cp936::toUtf16(sampleGbk());
  return text;
}

// Converts with iconv into a buffer large enough for the whole output.
std::size_t iconvConvert(iconv_t cd, const char* in, std::size_t inBytes, std::string& out) {
  out.resize(inBytes * 2 + 16);
  char* src = const_cast<char*>(in);
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv(cd, &src, &inBytes, &dst, &dstLeft);
  return out.size() - dstLeft;
}

void decodeOurs(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(cp936::toUtf16(sampleGbk()));
  state.SetBytesProcessed(std::int64_t(state.iterations() * sampleGbk().size()));
}

void decodeIconv(benchmark::State& state) {
  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  std::string out;
  for (auto _ : state)
    benchmark::DoNotOptimize(iconvConvert(cd, sampleGbk().data(), sampleGbk().size(), out));
  iconv_close(cd);
  state.SetBytesProcessed(std::int64_t(state.iterations() * sampleGbk().size()));
}

void encodeOurs(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(cp936::fromUtf16(sampleUtf16()));
  state.SetBytesProcessed(std::int64_t(state.iterations() * sampleGbk().size()));
}

void encodeIconv(benchmark::State& state) {
  iconv_t cd = iconv_open("CP936", "UTF-16LE");
  std::string out;
  const auto& in = sampleUtf16();
  for (auto _ : state)
    benchmark::DoNotOptimize(
        iconvConvert(cd, reinterpret_cast<const char*>(in.data()), in.size() * 2, out));
  iconv_close(cd);
  state.SetBytesProcessed(std::int64_t(state.iterations() * sampleGbk().size()));
}

BENCHMARK(decodeOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(decodeIconv)->Unit(benchmark::kMillisecond);
BENCHMARK(encodeOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(encodeIconv)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
