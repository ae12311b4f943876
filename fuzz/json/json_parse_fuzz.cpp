// Feeds arbitrary bytes to JsonObject::Parse as a service reply, then reads the value back the
// way the OCR client does. Paths are built only from member names that are plain identifiers
// and from indexes, as the program's own paths are. Whatever parses must write itself out as
// JSON that parses again to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_object.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

bool isIdentifier(std::string_view name) {
  if (name.empty() || name.size() > 32) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

// Reads every member reachable by a program-style path, a bounded number of them.
void readAll(json::JsonObject& json, const std::string& path, int depth, int& budget) {
  if (depth > 6 || --budget < 0) return;
  const int type = json.GetType(path);
  require(type >= -1 && type <= 6 && type != 3);
  const int count = json.GetCount(path);
  require(count >= 0);
  require(type == json::kJsonArray || count == 0);
  json.GetValue(path);
  json.GetValue(path, true);
  if (type == json::kJsonArray) {
    // The one-pass read of the lines agrees with reading them one by one.
    std::vector<std::string> words;
    if (json.GetMemberTexts(path, "words", words)) {
      require(int(words.size()) == count);
      for (int i = 0; i < count && i < 4; ++i)
        require(words[std::size_t(i)] == json.GetValue(path + "[" + std::to_string(i) + "].words"));
    }
    for (int i = 0; i < count && i < 4; ++i)
      readAll(json, path + "[" + std::to_string(i) + "]", depth + 1, budget);
  } else if (type == json::kJsonObject) {
    std::vector<std::string> names;
    json.GetNames(names, path);
    for (const std::string& name : names)
      if (isIdentifier(name))
        readAll(json, path.empty() ? name : path + "." + name, depth + 1, budget);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view reply(reinterpret_cast<const char*>(data), size);
  static json::JsonObject json;
  json::ScriptErrorInfo error;
  if (!json.Parse(reply, std::nullopt, &error)) {
    require(error.number != 0 || json.GetType("") == json::kJsonMissing);
    return 0;
  }
  int budget = 16;
  readAll(json, "", 0, budget);

  const std::string text = json.ToText();
  static json::JsonObject again;
  require(again.Parse(text));
  require(again.ToText() == text);
  return 0;
}
