// What the script engine reports about its last error, in the fields of a script Error object.
#pragma once
#include <string>

namespace json {

struct ScriptErrorInfo {
  int number = 0;           // the engine's error code; 0 when there was no error
  std::string source;       // the kind of error, such as "SyntaxError"
  std::string description;  // the engine's message
  std::string helpFile;     // always empty: the engine has no help files
  int helpContext = 0;
  std::string text;  // the line of text the error is in, when known
  int line = 0;      // 1-based; 0 when not known
  int column = 0;    // 1-based; 0 when not known
};

}  // namespace json
