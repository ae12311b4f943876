// What reading a recognition reply through JsonObject costs, against the same work done
// directly on a bare Duktape heap (create, JSON.parse, read each "words"). The ratio is the
// price of the helper script, the path scripts and the text conversions.
#include <benchmark/benchmark.h>

#include <string>

#include "duktape.h"
#include "json/json_object.h"

namespace {

constexpr int kLines = 20;

std::string recognitionReply() {
  std::string reply = R"({"log_id":1733455200123456789,"words_result":[)";
  for (int i = 0; i < kLines; ++i)
    reply += std::string(i ? "," : "") + R"({"words":"line )" + std::to_string(i) + R"( text"})";
  return reply + R"(],"words_result_num":)" + std::to_string(kLines) + "}";
}

void ReplyThroughJsonObject(benchmark::State& state) {
  const std::string reply = recognitionReply();
  for (auto _ : state) {
    json::JsonObject json;
    json.Parse(reply);
    std::string text;
    const int count = json.GetCount("words_result");
    for (int i = 0; i < count; ++i)
      text += json.GetValue("words_result[" + std::to_string(i) + "].words");
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(ReplyThroughJsonObject);

duk_ret_t readReply(duk_context* ctx, void* udata) {
  std::string& text = *static_cast<std::string*>(udata);
  duk_json_decode(ctx, -1);
  duk_get_prop_string(ctx, -1, "words_result");
  const duk_size_t count = duk_get_length(ctx, -1);
  for (duk_size_t i = 0; i < count; ++i) {
    duk_get_prop_index(ctx, -1, duk_uarridx_t(i));
    duk_get_prop_string(ctx, -1, "words");
    text += duk_safe_to_string(ctx, -1);
    duk_pop_2(ctx);
  }
  return 0;
}

void ReplyThroughBareDuktape(benchmark::State& state) {
  const std::string reply = recognitionReply();
  for (auto _ : state) {
    duk_context* ctx = duk_create_heap_default();
    std::string text;
    duk_push_lstring(ctx, reply.data(), reply.size());
    duk_safe_call(ctx, &readReply, &text, 1, 1);
    duk_destroy_heap(ctx);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(ReplyThroughBareDuktape);

}  // namespace
