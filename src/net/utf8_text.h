// Conversions between program text (code page 936) and UTF-8, the same bytes in both builds.
// Characters the target lacks become the default character "?".
#pragma once
#include <string>
#include <string_view>

namespace net {

std::string Utf8ToGbk(std::string_view bytes);

}  // namespace net
