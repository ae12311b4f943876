// JsonObject: one JSON value held in a script engine, read and changed by path. The value is
// the engine's global variable `varName` ("da"); each operation builds a short script around
// a path and evaluates it. Paths are program text such as "words_result[2].words", never text
// from outside: a reply enters only through Parse.
//
// Failures are quiet: a script error makes the operation return empty text, 0 or false.
// An object and its copies share one engine; it belongs to the thread that created it.
// Note: <windows.h> defines GetObject as a macro; do not include it before this header.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json/script_error_info.h"

namespace json {

class ScriptEngine;

// Codes of GetType.
enum JsonType : int {
  kJsonUnknown = -1,
  kJsonMissing = 0,
  kJsonBoolean = 1,
  kJsonNumber = 2,
  kJsonObject = 4,
  kJsonArray = 5,
  kJsonString = 6,
};

class JsonObject {
 public:
  JsonObject();
  JsonObject(const JsonObject&) = default;
  JsonObject& operator=(const JsonObject&) = default;
  JsonObject(JsonObject&&) = default;
  JsonObject& operator=(JsonObject&&) = default;

  // The virtual operations keep this order: they are the object's slots.
  virtual ~JsonObject();
  // A second object on the same engine.
  virtual JsonObject Copy() const;
  // A fresh engine with the helper script and an empty root object; false without an engine.
  virtual bool Init();
  // Replaces the value with the JSON text, on a fresh engine. The text is read by the engine's
  // strict JSON parser, never run, whatever asExpression says. False for invalid JSON or null;
  // errorInfo receives the parser's error when given and wantError is not false.
  virtual bool Parse(std::string_view text, std::optional<bool> asExpression = std::nullopt,
                     ScriptErrorInfo* errorInfo = nullptr,
                     std::optional<bool> wantError = std::nullopt);
  virtual void Clear();
  virtual std::string ToText();
  // A text value (isJson false) is stored as it is; a JSON value is merged into an existing
  // object member or else replaces the member.
  virtual bool SetValue(std::string_view path, std::string_view value, bool isJson = false);
  virtual bool SetExpression(std::string_view path, std::string_view expression);
  // Makes the path start at the root variable; true when the member exists.
  virtual bool QualifyPath(std::string& path);
  virtual bool Exists(std::string_view path);
  virtual int GetType(std::string_view path);
  virtual std::string GetValue(std::string_view path, bool asJson = false);
  virtual int GetNames(std::vector<std::string>& names, std::string_view path);
  virtual int GetCount(std::string_view path);
  // A new object, on an engine of its own, holding a copy of the member.
  virtual JsonObject GetObject(std::string_view path);
  virtual bool AddToArray(std::string_view value, std::string_view path, bool isJson = false,
                          bool atFront = false);
  virtual JsonObject GetItemObject(int index, std::string_view path);
  virtual std::string GetItem(int index, std::string_view path, bool asJson = false);
  virtual bool SetItem(int index, std::string_view path, std::string_view value,
                       bool isJson = false);
  virtual bool RemoveItem(int index, std::string_view path);
  virtual bool Delete(std::string_view path);
  virtual bool SetNumber(std::string_view path, double number);
  virtual double GetNumber(std::string_view path);
  virtual std::string GetJson(std::string_view path);
  virtual std::shared_ptr<ScriptEngine> GetEngine() const;
  virtual int GetAllValues(std::vector<std::string>& values, std::string_view path,
                           bool recursive = false);

  // The string member `member` of every element of the array at `path`, read in one pass
  // whatever the array's size. False, with no texts, when the path holds no array or an
  // element is not an object whose member is a string.
  bool GetMemberTexts(std::string_view path, std::string_view member,
                      std::vector<std::string>& texts);

 private:
  std::u16string qualified(std::string_view path);
  JsonObject objectFromJson(const std::string& text);
  std::u16string evalText16(std::u16string_view script);
  std::string evalText(std::u16string_view script);
  double evalNumber(std::u16string_view script);
  bool evalBool(std::u16string_view script);
  bool run(std::u16string_view script);

  std::string varName;
  std::shared_ptr<ScriptEngine> engine;
};

}  // namespace json
