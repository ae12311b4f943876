// Reading a recognition reply of N lines through the program's reader (strict parse, every
// element checked, texts converted to program text) against the bare minimum on a Duktape
// heap of its own (JSON.parse, then each "words" read through the C API). The ratio should
// stay flat as N grows: a reader that slows down per line shows here first.
#include <benchmark/benchmark.h>

#include <string>

#include "capture/ocr_replies.h"
#include "duktape.h"

namespace {

std::string replyOf(int lines) {
  std::string reply = R"({"log_id":1733455200123456789,"words_result":[)";
  for (int i = 0; i < lines; ++i)
    reply += std::string(i ? "," : "") + R"({"words":"第)" + std::to_string(i) + R"(行 text"})";
  return reply + R"(],"words_result_num":)" + std::to_string(lines) + "}";
}

void ProgramReader(benchmark::State& state) {
  const std::string reply = replyOf(int(state.range(0)));
  for (auto _ : state) {
    capture::RecognitionReply read = capture::readRecognitionReply(reply);
    if (read.lines.size() != std::size_t(state.range(0))) state.SkipWithError("lines lost");
    benchmark::DoNotOptimize(read);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

duk_ret_t readWords(duk_context* ctx, void* udata) {
  auto& texts = *static_cast<std::size_t*>(udata);
  duk_json_decode(ctx, -1);
  duk_get_prop_string(ctx, -1, "words_result");
  const duk_size_t count = duk_get_length(ctx, -1);
  for (duk_size_t i = 0; i < count; ++i) {
    duk_get_prop_index(ctx, -1, duk_uarridx_t(i));
    duk_get_prop_string(ctx, -1, "words");
    duk_size_t length = 0;
    if (duk_get_lstring(ctx, -1, &length)) ++texts;
    duk_pop_2(ctx);
  }
  return 0;
}

void BareDuktape(benchmark::State& state) {
  const std::string reply = replyOf(int(state.range(0)));
  for (auto _ : state) {
    duk_context* ctx = duk_create_heap_default();
    std::size_t texts = 0;
    duk_push_lstring(ctx, reply.data(), reply.size());
    duk_safe_call(ctx, &readWords, &texts, 1, 1);
    duk_destroy_heap(ctx);
    benchmark::DoNotOptimize(texts);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(ProgramReader)->Arg(20)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BareDuktape)->Arg(20)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace
