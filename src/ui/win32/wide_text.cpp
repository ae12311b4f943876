#include "ui/win32/wide_text.h"

#include "platform/cp936.h"
#include "platform/utf8.h"

namespace ui::win32 {

std::wstring wide(std::string_view gbk) {
  std::u16string units = cp936::toUtf16(gbk);
  return std::wstring(units.begin(), units.end());
}

std::string narrow(std::wstring_view utf16) {
  return cp936::fromUtf16(std::u16string(utf16.begin(), utf16.end()));
}

std::wstring wideFromUtf8(std::string_view utf8) {
  std::u16string units = utf8::toUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string withCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace ui::win32
