#include "net/utf8_text.h"

#include "platform/cp936.h"

namespace net {

std::string GbkToUtf8(std::string_view text) { return cp936::toUtf8(text); }

std::string Utf8ToGbk(std::string_view bytes) { return cp936::fromUtf8(bytes); }

}  // namespace net
