#include "json/script_engine.h"

#include <cmath>
#include <cstdlib>

#include "duktape.h"
#include "json/engine_text.h"
#include "json/script_error_lines.h"
#include "platform/cp936.h"
#include "quorvix_duk_hooks.h"

namespace json {

// A Duktape heap with its memory budget and the deadline of the call running on it.
struct ScriptHeap {
  QuorvixDukHooks hooks{};
  duk_context* context = nullptr;
  std::size_t used = 0;
  std::size_t limit = 0;
  std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();

  ~ScriptHeap() {
    if (context) duk_destroy_heap(context);
  }
};

namespace {

using Clock = std::chrono::steady_clock;

// Each block carries its size in front, so the heap can keep to its memory budget.
constexpr std::size_t kBlockHeader = 16;

ScriptHeap* heapOf(void* udata) {
  return static_cast<ScriptHeap*>(static_cast<QuorvixDukHooks*>(udata)->context);
}

std::size_t& blockSize(void* payload) {
  return *reinterpret_cast<std::size_t*>(static_cast<char*>(payload) - kBlockHeader);
}

void* allocate(void* udata, duk_size_t size) {
  ScriptHeap* heap = heapOf(udata);
  if (size > heap->limit - heap->used) return nullptr;
  char* block = static_cast<char*>(std::malloc(kBlockHeader + size));
  if (!block) return nullptr;
  heap->used += size;
  *reinterpret_cast<std::size_t*>(block) = size;
  return block + kBlockHeader;
}

void release(void* udata, void* payload) {
  if (!payload) return;
  heapOf(udata)->used -= blockSize(payload);
  std::free(static_cast<char*>(payload) - kBlockHeader);
}

void* reallocate(void* udata, void* payload, duk_size_t size) {
  if (!payload) return allocate(udata, size);
  if (size == 0) {
    release(udata, payload);
    return nullptr;
  }
  ScriptHeap* heap = heapOf(udata);
  const std::size_t old = blockSize(payload);
  if (size > old && size - old > heap->limit - heap->used) return nullptr;
  char* block = static_cast<char*>(
      std::realloc(static_cast<char*>(payload) - kBlockHeader, kBlockHeader + size));
  if (!block) return nullptr;
  heap->used = heap->used - old + size;
  *reinterpret_cast<std::size_t*>(block) = size;
  return block + kBlockHeader;
}

int timedOut(void* context) {
  return Clock::now() > static_cast<ScriptHeap*>(context)->deadline ? 1 : 0;
}

// What runs inside duk_safe_call. Only trivially destructible data lives here: an engine error
// leaves the function by longjmp.
struct EvalCall {
  const char* source;
  std::size_t length;
  bool program;
  int kind;  // ResultKind
};

enum : int { kNone, kText, kNumber, kBool };

duk_ret_t evaluateProtected(duk_context* ctx, void* udata) {
  const EvalCall* call = static_cast<const EvalCall*>(udata);
  if (call->program) {
    duk_push_lstring(ctx, call->source, call->length);
    duk_push_string(ctx, "code");
    duk_compile(ctx, 0);
    duk_call(ctx, 0);
  } else {
    duk_eval_lstring(ctx, call->source, call->length);
  }
  switch (call->kind) {
    case kText:
      if (!duk_is_null_or_undefined(ctx, -1)) duk_to_string(ctx, -1);
      break;
    case kNumber:
      // As a conversion of the result to a number would: text that is not a number gives 0.
      if (duk_is_string(ctx, -1) || duk_is_boolean(ctx, -1)) duk_to_number(ctx, -1);
      if (!duk_is_number(ctx, -1) || std::isnan(duk_get_number(ctx, -1))) {
        duk_pop(ctx);
        duk_push_int(ctx, 0);
      }
      break;
    case kBool:
      duk_to_boolean(ctx, -1);
      break;
    default:
      break;
  }
  return 1;
}

// Reads the member texts of an array in two passes over the same values: the first checks
// them and counts, the second, into room made for exactly that many, takes the texts. Nothing
// in here allocates outside the engine, so an engine error cannot leave a C++ object torn.
struct MemberTextsCall {
  const char* source;
  std::size_t length;
  const char* member;
  std::size_t count;                     // out of the first pass
  std::vector<std::string_view>* texts;  // the second pass fills it; capacity `count`
};

duk_ret_t memberTextsProtected(duk_context* ctx, void* udata) {
  MemberTextsCall* call = static_cast<MemberTextsCall*>(udata);
  duk_eval_lstring(ctx, call->source, call->length);
  if (!duk_is_array(ctx, -1)) return DUK_RET_TYPE_ERROR;
  const duk_size_t count = duk_get_length(ctx, -1);
  if (call->texts && count != call->count) return DUK_RET_RANGE_ERROR;
  for (duk_uarridx_t i = 0; i < count; ++i) {
    duk_get_prop_index(ctx, -1, i);
    if (!duk_is_object(ctx, -1) || duk_is_array(ctx, -1) || duk_is_function(ctx, -1))
      return DUK_RET_TYPE_ERROR;
    duk_get_prop_string(ctx, -1, call->member);
    if (!duk_is_string(ctx, -1)) return DUK_RET_TYPE_ERROR;
    if (call->texts) {
      duk_size_t bytes = 0;
      const char* text = duk_get_lstring(ctx, -1, &bytes);
      call->texts->emplace_back(text, bytes);  // within capacity: no allocation, no throw
    }
    duk_pop_2(ctx);
  }
  call->count = count;
  return 1;
}

struct ParseCall {
  const char* text;
  std::size_t length;
  const char* variable;
};

duk_ret_t parseProtected(duk_context* ctx, void* udata) {
  const ParseCall* call = static_cast<const ParseCall*>(udata);
  duk_push_lstring(ctx, call->text, call->length);
  duk_json_decode(ctx, -1);
  duk_put_global_string(ctx, call->variable);
  return 0;
}

// [error] -> [error code, name, message, line number]. A safe call sees the caller's whole
// value stack, so indexes count from the error's place.
duk_ret_t describeErrorProtected(duk_context* ctx, void*) {
  const duk_idx_t error = duk_get_top(ctx) - 1;
  duk_push_int(ctx, duk_get_error_code(ctx, error));
  if (duk_is_object(ctx, error)) {
    duk_get_prop_string(ctx, error, "name");
    duk_get_prop_string(ctx, error, "message");
    duk_get_prop_string(ctx, error, "lineNumber");
  } else {
    duk_push_undefined(ctx);
    duk_dup(ctx, error);
    duk_push_undefined(ctx);
  }
  for (duk_idx_t at = error + 2; at <= error + 3; ++at) {
    if (duk_is_undefined(ctx, at)) {
      duk_push_string(ctx, "");
      duk_replace(ctx, at);
    }
    duk_to_string(ctx, at);
  }
  duk_to_int(ctx, error + 4);
  return 4;
}

// Runs the call protected and against the clock. One value is left on the stack: the call's
// result, or the error when it failed.
bool callProtected(ScriptHeap& heap, duk_safe_call_function function, void* call,
                   std::chrono::milliseconds limit) {
  heap.deadline = Clock::now() + limit;
  const bool ok = duk_safe_call(heap.context, function, call, 0, 1) == DUK_EXEC_SUCCESS;
  heap.deadline = Clock::time_point::max();
  return ok;
}

std::u16string stringAt(duk_context* ctx, duk_idx_t at) {
  duk_size_t length = 0;
  const char* bytes = duk_get_lstring(ctx, at, &length);
  return bytes ? fromEngineBytes(std::string_view(bytes, length)) : std::u16string();
}

}  // namespace

std::shared_ptr<ScriptEngine> ScriptEngine::Create(std::size_t memoryLimit) {
  auto heap = std::make_unique<ScriptHeap>();
  heap->limit = memoryLimit;
  heap->hooks.timed_out = &timedOut;
  heap->hooks.context = heap.get();
  heap->context =
      duk_create_heap(&allocate, &reallocate, &release, &heap->hooks, &quorvix_duk_fatal);
  if (!heap->context) return nullptr;
  return std::shared_ptr<ScriptEngine>(new ScriptEngine(std::move(heap)));
}

ScriptEngine::ScriptEngine(std::unique_ptr<ScriptHeap> heap) : heap_(std::move(heap)) {}

ScriptEngine::~ScriptEngine() = default;

void ScriptEngine::SetTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }

ScriptEngine::Result ScriptEngine::evaluate(std::u16string_view source, ResultKind kind,
                                            bool program) {
  lastError_ = {};
  const std::string bytes = toEngineBytes(source);
  EvalCall call{bytes.data(), bytes.size(), program, int(kind)};
  duk_context* ctx = heap_->context;
  Result result;
  if (!callProtected(*heap_, &evaluateProtected, &call, timeLimit_)) {
    recordError(source, false);
  } else {
    result.ok = true;
    if (duk_is_string(ctx, -1)) result.text = stringAt(ctx, -1);
    result.number = duk_is_number(ctx, -1) ? duk_get_number(ctx, -1) : 0;
    result.boolean = duk_is_boolean(ctx, -1) && duk_get_boolean(ctx, -1);
  }
  duk_pop(ctx);
  return result;
}

bool ScriptEngine::AddCode(std::u16string_view code) {
  return evaluate(code, ResultKind::kNone, true).ok;
}

std::optional<std::u16string> ScriptEngine::EvalText(std::u16string_view expression) {
  return evaluate(expression, ResultKind::kText).text;
}

double ScriptEngine::EvalNumber(std::u16string_view expression) {
  return evaluate(expression, ResultKind::kNumber).number;
}

bool ScriptEngine::EvalBool(std::u16string_view expression) {
  return evaluate(expression, ResultKind::kBool).boolean;
}

bool ScriptEngine::Run(std::u16string_view statements) {
  return evaluate(statements, ResultKind::kNone).ok;
}

std::optional<std::vector<std::u16string>> ScriptEngine::MemberTexts(
    std::u16string_view arrayExpression, std::string_view member) {
  const std::string source = toEngineBytes(arrayExpression);
  const std::string name(member);
  MemberTextsCall call{source.data(), source.size(), name.c_str(), 0, nullptr};
  bool ok = callProtected(*heap_, &memberTextsProtected, &call, timeLimit_);
  duk_pop(heap_->context);
  if (!ok) return std::nullopt;
  // The texts stay where they are while the array holds them: until the next call.
  std::vector<std::string_view> views;
  views.reserve(call.count);
  call.texts = &views;
  ok = callProtected(*heap_, &memberTextsProtected, &call, timeLimit_);
  duk_pop(heap_->context);
  if (!ok) return std::nullopt;
  std::vector<std::u16string> texts;
  texts.reserve(views.size());
  for (std::string_view view : views) texts.push_back(fromEngineBytes(view));
  return texts;
}

bool ScriptEngine::ParseJsonInto(std::string_view variable, std::u16string_view jsonText) {
  lastError_ = {};
  const std::string bytes = toEngineBytes(jsonText);
  const std::string name(variable);
  ParseCall call{bytes.data(), bytes.size(), name.c_str()};
  const bool ok = callProtected(*heap_, &parseProtected, &call, timeLimit_);
  if (!ok) recordError(jsonText, true);
  duk_pop(heap_->context);
  return ok;
}

void ScriptEngine::recordError(std::u16string_view source, bool sourceIsJson) {
  duk_context* ctx = heap_->context;
  lastError_ = {};
  lastError_.number = DUK_ERR_ERROR;
  duk_dup_top(ctx);
  if (duk_safe_call(ctx, &describeErrorProtected, nullptr, 1, 4) == DUK_EXEC_SUCCESS) {
    if (int code = duk_get_int(ctx, -4); code != DUK_ERR_NONE) lastError_.number = code;
    const std::u16string name = stringAt(ctx, -3);
    const std::u16string message = stringAt(ctx, -2);
    lastError_.source = cp936::fromUtf16(name);
    lastError_.description = cp936::fromUtf16(message);
    lastError_.line = duk_get_int(ctx, -1);
    const SourcePosition position = sourceIsJson
                                        ? positionOfJsonError(source, message)
                                        : positionOfScriptError(source, name, lastError_.line);
    lastError_.line = position.line;
    lastError_.column = position.column;
    lastError_.text = cp936::fromUtf16(position.lineText);
  }
  duk_pop_n(ctx, 4);
}

}  // namespace json
