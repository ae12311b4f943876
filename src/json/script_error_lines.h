// Where in a script or JSON text an engine error lies, for ScriptErrorInfo.
#pragma once
#include <string>
#include <string_view>

namespace json {

struct SourcePosition {
  int line = 0;    // 1-based; 0 when not known
  int column = 0;  // 1-based; 0 when not known
  std::u16string lineText;
};

// The JSON parser reports "(at offset N)", N counting bytes of the engine's string form.
SourcePosition positionOfJsonError(std::u16string_view jsonText, std::u16string_view message);

// A syntax error names its line; other errors keep the engine's line number and no text.
SourcePosition positionOfScriptError(std::u16string_view script, std::u16string_view errorName,
                                     int line);

}  // namespace json
