// One JavaScript engine instance (a Duktape heap) with the operations JsonObject needs: add
// code, evaluate an expression to text, number or boolean, put a JSON text into a variable,
// and report the last error. Every call is protected: a script error, running out of the
// memory budget or of time makes that call fail, nothing more. Texts are UTF-16.
#pragma once
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json/script_error_info.h"

namespace json {

struct ScriptHeap;

class ScriptEngine {
 public:
  static constexpr std::size_t kDefaultMemoryLimit = 64 * 1024 * 1024;
  static constexpr std::chrono::milliseconds kDefaultTimeLimit{3000};

  // nullptr when the engine cannot be created.
  static std::shared_ptr<ScriptEngine> Create(std::size_t memoryLimit = kDefaultMemoryLimit);
  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  // Run time allowed to each call from now on.
  void SetTimeLimit(std::chrono::milliseconds limit);

  // Runs global code (function declarations become global functions).
  bool AddCode(std::u16string_view code);

  // Evaluates as an indirect eval in the global scope. A failed evaluation gives nullopt, 0 or
  // false. Text: a string as it is, undefined and null as nullopt, anything else as String()
  // gives it. Number: booleans as 0 or 1, strings as Number() reads them (0 when not a number).
  std::optional<std::u16string> EvalText(std::u16string_view expression);
  double EvalNumber(std::u16string_view expression);
  bool EvalBool(std::u16string_view expression);
  bool Run(std::u16string_view statements);

  // Sets the global variable to the value of the JSON text, read by the engine's strict JSON
  // parser: nothing in the text is ever run. On failure the variable is left as it was and
  // LastError() gives the position of the fault.
  bool ParseJsonInto(std::string_view variable, std::u16string_view jsonText);

  // The string member `member` of every element of the array the expression gives, read
  // straight from the engine's values in one pass, with nothing allocated on the heap. nullopt
  // when the expression fails or gives no array, or an element is not a plain object holding
  // such a string.
  std::optional<std::vector<std::u16string>> MemberTexts(std::u16string_view arrayExpression,
                                                         std::string_view member);

  // The error of the last call; number 0 after a call that succeeded.
  const ScriptErrorInfo& LastError() const { return lastError_; }

 private:
  explicit ScriptEngine(std::unique_ptr<ScriptHeap> heap);

  enum class ResultKind { kNone, kText, kNumber, kBool };
  struct Result {
    bool ok = false;
    std::optional<std::u16string> text;
    double number = 0;
    bool boolean = false;
  };
  Result evaluate(std::u16string_view source, ResultKind kind, bool program = false);
  void recordError(std::u16string_view source, bool sourceIsJson);

  std::unique_ptr<ScriptHeap> heap_;
  std::chrono::milliseconds timeLimit_ = kDefaultTimeLimit;
  ScriptErrorInfo lastError_;
};

}  // namespace json
