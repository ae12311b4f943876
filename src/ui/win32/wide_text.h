// The edge between program text (GBK bytes) and the wide Win32 APIs.
#pragma once
#include <string>
#include <string_view>

namespace ui::win32 {

std::wstring wide(std::string_view gbk);
std::string narrow(std::wstring_view utf16);
std::wstring wideFromUtf8(std::string_view utf8);

// Edit controls break lines only at CR LF: a lone LF becomes CR LF, a CR LF stays as it is.
std::string withCrLf(std::string_view text);

}  // namespace ui::win32
