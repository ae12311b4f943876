#include "json/json_object.h"

#include <climits>
#include <cstdio>

#include "json/helper_script.h"
#include "json/script_engine.h"
#include "json/script_text.h"
#include "platform/cp936.h"
#include "platform/number_text.h"

namespace json {
namespace {

// Reading operations turn the stand-in character str_Code back into a backslash. Inside JSON
// text it becomes an escaped backslash, so what they give is always valid JSON.
constexpr std::u16string_view kTextOut = uR"(.replace(str_reg, '\\'))";
constexpr std::u16string_view kJsonOut = uR"(.replace(str_reg, '\\\\'))";

// str_Code, which kTextOut turns back into a backslash.
constexpr char16_t kBackslashStandIn = 9216;

// GetAllValues joins the values with this and splits them apart again.
constexpr std::u16string_view kValueSeparator = u"[2020年7月20日20时0分0秒]";

std::u16string u16(std::string_view text) { return cp936::toUtf16(text); }
std::string programText(std::u16string_view text) { return cp936::fromUtf16(text); }

std::u16string stringify(std::u16string_view expression) {
  return u"JSON.stringify(" + std::u16string(expression) + u")" + std::u16string(kJsonOut);
}

std::u16string typeTagOf(std::u16string_view expression) {
  return u"Object.prototype.toString.call(" + std::u16string(expression) + u")";
}

std::u16string indexed(std::u16string_view path, int index) {
  return std::u16string(path) + u"[" + u16(std::to_string(index)) + u"]";
}

std::vector<std::string> splitToProgramText(std::u16string_view text,
                                            std::u16string_view separator) {
  std::vector<std::string> parts;
  if (text.empty()) return parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::u16string_view::npos;
       start = at + separator.size())
    parts.push_back(programText(text.substr(start, at - start)));
  parts.push_back(programText(text.substr(start)));
  return parts;
}

int clampToInt(double value) {
  if (!(value > 0)) return 0;
  return value >= double(INT_MAX) ? INT_MAX : int(value);
}

}  // namespace

JsonObject::JsonObject() : varName("da") { Init(); }

JsonObject::~JsonObject() = default;

JsonObject JsonObject::Copy() const { return *this; }

bool JsonObject::Init() {
  engine = ScriptEngine::Create();
  if (!engine) return false;
  const std::u16string root = u16(varName);
  if (!engine->AddCode(kHelperScript) ||
      !engine->Run(u"var " + root +
                   u" = {}, str_Code = String.fromCharCode(9216), str_reg = new RegExp(str_Code, "
                   u"'g')")) {
    engine.reset();
    return false;
  }
  return true;
}

bool JsonObject::Parse(std::string_view text, std::optional<bool> asExpression,
                       ScriptErrorInfo* errorInfo, std::optional<bool> wantError) {
  // Both forms of the text give the same value: it is read as JSON, not run as script.
  (void)asExpression;
  engine.reset();
  if (!Init()) return false;
  run(u"var " + u16(varName) + u" = null");
  engine->ParseJsonInto(varName, u16(text));
  if (errorInfo && wantError.value_or(true)) *errorInfo = engine->LastError();
  return evalBool(u16(varName) + u" != null");
}

void JsonObject::Clear() { run(u16(varName) + u" = {}"); }

std::string JsonObject::ToText() { return evalText(stringify(u16(varName))); }

bool JsonObject::SetValue(std::string_view path, std::string_view value, bool isJson) {
  std::string qualifiedPath(path);
  const bool exists = QualifyPath(qualifiedPath);
  const std::u16string p = u16(qualifiedPath);
  if (isJson) {
    const std::u16string json = value.empty() ? u"{}" : u16(value);
    if (exists && evalText(typeTagOf(p)) == "[object Object]")
      return evalBool(p + u" = get__extend(" + p + u", " + json + u")");
    return evalBool(p + u" = eval(" + json + u")");
  }
  // Inside the engine every backslash of the text is held as str_Code.
  return evalBool(p + u" = " + quotedText(u16(value)) + uR"(.replace(/\\/g, str_Code))");
}

bool JsonObject::SetExpression(std::string_view path, std::string_view expression) {
  return evalBool(qualified(path) + u" = eval(" + u16(expression) + u")");
}

bool JsonObject::QualifyPath(std::string& path) {
  // A plain byte prefix: "dance" counts as starting with "da" until the engine says otherwise.
  if (path.compare(0, varName.size(), varName) == 0 && evalBool(u16(path) + u" != null"))
    return true;
  if (path.empty())
    path = varName;
  else if (path.front() == '[')
    path = varName + path;
  else
    path = varName + "." + path;
  return evalBool(u16(path) + u" != null");
}

bool JsonObject::Exists(std::string_view path) {
  std::string qualifiedPath(path);
  return QualifyPath(qualifiedPath);
}

int JsonObject::GetType(std::string_view path) {
  const std::u16string p = qualified(path);
  if (!engine || evalBool(p + u" == null")) return kJsonMissing;
  const std::optional<std::u16string> tag = engine->EvalText(typeTagOf(p));
  // A path through a missing member cannot be evaluated at all: it is missing too.
  if (!tag) return kJsonMissing;
  if (*tag == u"[object Boolean]") return kJsonBoolean;
  if (*tag == u"[object Number]") return kJsonNumber;
  if (*tag == u"[object Object]") return kJsonObject;
  if (*tag == u"[object Array]") return kJsonArray;
  if (*tag == u"[object String]") return kJsonString;
  return kJsonUnknown;
}

std::string JsonObject::GetValue(std::string_view path, bool asJson) {
  const std::u16string p = qualified(path);
  return evalText(asJson ? stringify(p) : p + u".toString()" + std::u16string(kTextOut));
}

int JsonObject::GetNames(std::vector<std::string>& names, std::string_view path) {
  names = splitToProgramText(evalText16(u"get__name_All(" + qualified(path) + u")"), u"\r\n");
  return int(names.size());
}

int JsonObject::GetCount(std::string_view path) {
  return clampToInt(evalNumber(u"get__count(" + qualified(path) + u")"));
}

JsonObject JsonObject::GetObject(std::string_view path) {
  return objectFromJson(evalText(stringify(qualified(path))));
}

bool JsonObject::AddToArray(std::string_view value, std::string_view path, bool isJson,
                            bool atFront) {
  const std::u16string p = qualified(path);
  const std::u16string v = isJson ? u16(value) : quotedText(u16(value));
  return evalBool(u"if (" + typeTagOf(p) + u" != '[object Array]') { " + p + u" = new Array() } " +
                  p + (atFront ? u".unshift(" : u".push(") + v + u")");
}

JsonObject JsonObject::GetItemObject(int index, std::string_view path) {
  return objectFromJson(evalText(stringify(indexed(qualified(path), index))));
}

std::string JsonObject::GetItem(int index, std::string_view path, bool asJson) {
  const std::u16string item = indexed(qualified(path), index);
  return evalText(asJson ? stringify(item) : item + std::u16string(kTextOut));
}

bool JsonObject::SetItem(int index, std::string_view path, std::string_view value, bool isJson) {
  const std::u16string v = isJson ? u16(value) : quotedText(u16(value));
  return evalBool(indexed(qualified(path), index) + u" = " + v);
}

bool JsonObject::RemoveItem(int index, std::string_view path) {
  return evalBool(qualified(path) + u".splice(" + u16(std::to_string(index)) + u", 1)");
}

bool JsonObject::Delete(std::string_view path) { return evalBool(u"delete " + qualified(path)); }

bool JsonObject::SetNumber(std::string_view path, double number) {
  return evalBool(qualified(path) + u" = " + u16(platform::numberText(number)));
}

double JsonObject::GetNumber(std::string_view path) { return evalNumber(qualified(path)); }

std::string JsonObject::GetJson(std::string_view path) {
  return evalText(stringify(qualified(path)));
}

std::shared_ptr<ScriptEngine> JsonObject::GetEngine() const { return engine; }

int JsonObject::GetAllValues(std::vector<std::string>& values, std::string_view path,
                             bool recursive) {
  const std::u16string p = qualified(path);
  values.clear();
  if (!run(u"var str_all = new Array()") ||
      !run(u"get__nodeValue(" + p + (recursive ? u", true)" : u", false)")))
    return 0;
  const std::u16string joined = u"str_all.join('" + std::u16string(kValueSeparator) + u"')";
  values = splitToProgramText(evalText16(joined), kValueSeparator);
  return int(values.size());
}

bool JsonObject::GetMemberTexts(std::string_view path, std::string_view member,
                                std::vector<std::string>& texts) {
  texts.clear();
  if (!engine) return false;
  std::optional<std::vector<std::u16string>> read = engine->MemberTexts(qualified(path), member);
  if (!read) return false;
  texts.reserve(read->size());
  for (std::u16string& text : *read) {
    // As every reading operation does: the stand-in character goes back to a backslash.
    for (char16_t& c : text)
      if (c == kBackslashStandIn) c = u'\\';
    texts.push_back(programText(text));
  }
  return true;
}

std::u16string JsonObject::qualified(std::string_view path) {
  std::string qualifiedPath(path);
  QualifyPath(qualifiedPath);
  return u16(qualifiedPath);
}

JsonObject JsonObject::objectFromJson(const std::string& text) {
  JsonObject temporary;
  temporary.Parse(text, false);
  return temporary.Copy();
}

std::u16string JsonObject::evalText16(std::u16string_view script) {
  if (!engine) return {};
  return engine->EvalText(script).value_or(std::u16string());
}

std::string JsonObject::evalText(std::u16string_view script) {
  return programText(evalText16(script));
}

double JsonObject::evalNumber(std::u16string_view script) {
  return engine ? engine->EvalNumber(script) : 0;
}

bool JsonObject::evalBool(std::u16string_view script) { return engine && engine->EvalBool(script); }

bool JsonObject::run(std::u16string_view script) { return engine && engine->Run(script); }

}  // namespace json
