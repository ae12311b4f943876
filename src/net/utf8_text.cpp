#include "net/utf8_text.h"

#include "platform/cp936.h"

namespace net {

std::string Utf8ToGbk(std::string_view bytes) { return cp936::fromUtf8(bytes); }

}  // namespace net
