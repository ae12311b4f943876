#include "spreadsheet/number_formats.h"

#include <string>

namespace xlformat {
namespace {

// Compares codes the way they read: quoted and escaped literals alike, ASCII case ignored.
std::string canonical(std::string_view code) {
  std::string out;
  for (std::size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"') continue;
    if (c == '\\' && i + 1 < code.size()) {
      out += code[++i];
      continue;
    }
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    out += c;
  }
  return out;
}

struct KnownCode {
  const char* code;  // UTF-8, already canonical
  unsigned id;
};

// Excel's codes for its built-in formats as they appear when written out as custom formats,
// including the Chinese (PRC) forms of the locale-dependent ids.
constexpr KnownCode kKnownCodes[] = {
    {"general", 0},
    {"0", 1},
    {"0.00", 2},
    {"#,##0", 3},
    {"#,##0.00", 4},
    {"0%", 9},
    {"0.00%", 10},
    {"0.00e+00", 11},
    {"# ?/?", 12},
    {"# ?\?/??", 13},
    {"m/d/yyyy", 14},
    {"mm-dd-yy", 14},
    {"yyyy/m/d", 14},
    {"d-mmm-yy", 15},
    {"d-mmm", 16},
    {"mmm-yy", 17},
    {"h:mm am/pm", 18},
    {"h:mm:ss am/pm", 19},
    {"h:mm", 20},
    {"h:mm:ss", 21},
    {"m/d/yy h:mm", 22},
    {"m/d/yyyy h:mm", 22},
    {"yyyy/m/d h:mm", 22},
    {"#,##0 ;(#,##0)", 37},
    {"#,##0 ;[red](#,##0)", 38},
    {"#,##0.00;(#,##0.00)", 39},
    {"#,##0.00;[red](#,##0.00)", 40},
    {"mm:ss", 45},
    {"[h]:mm:ss", 46},
    {"mmss.0", 47},
    {"##0.0e+0", 48},
    {"@", 49},
    {"yyyy\xE5\xB9\xB4m\xE6\x9C\x88", 27},  // yyyy年m月
    {"m\xE6\x9C\x88"
     "d\xE6\x97\xA5",
     28},  // m月d日
    {"yyyy\xE5\xB9\xB4m\xE6\x9C\x88"
     "d\xE6\x97\xA5",
     31},                                               // yyyy年m月d日
    {"h\xE6\x97\xB6mm\xE5\x88\x86", 32},                // h时mm分
    {"h\xE6\x97\xB6mm\xE5\x88\x86ss\xE7\xA7\x92", 33},  // h时mm分ss秒
    {"\xE4\xB8\x8A\xE5\x8D\x88/\xE4\xB8\x8B\xE5\x8D\x88h\xE6\x97\xB6mm\xE5\x88\x86", 34},
    {"\xE4\xB8\x8A\xE5\x8D\x88/\xE4\xB8\x8B\xE5\x8D\x88h\xE6\x97\xB6mm\xE5\x88\x86ss\xE7\xA7\x92",
     35},
};

}  // namespace

bool isBuiltInDate(unsigned id) {
  return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
         (id >= 50 && id <= 58);
}

bool isDateCode(std::string_view code) {
  for (std::size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"') {
      auto close = code.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;  // the next character is a literal, a padding width or a fill character
    } else if (c == '[') {
      auto close = code.find(']', i + 1);
      if (close == std::string_view::npos) return false;
      std::string inner = canonical(code.substr(i + 1, close - i - 1));
      if (!inner.empty() && inner.find_first_not_of(inner[0]) == std::string::npos &&
          (inner[0] == 'h' || inner[0] == 'm' || inner[0] == 's'))
        return true;  // elapsed time
      i = close;
    } else {
      char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
      if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's') return true;
    }
  }
  return false;
}

std::optional<unsigned> builtInIdForCode(std::string_view code) {
  const std::string wanted = canonical(code);
  for (const auto& known : kKnownCodes)
    if (wanted == known.code) return known.id;
  return std::nullopt;
}

}  // namespace xlformat
