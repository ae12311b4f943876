// The controllers' texts are written in UTF-8 and shown as program text (GBK).
#pragma once
#include <string>

#include "platform/cp936.h"

namespace app {

inline std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

}  // namespace app
