// Base64 (RFC 4648 alphabet, "=" fill), on one line however long the input.
#pragma once
#include <string>
#include <string_view>

namespace net {

std::string Base64Encode(std::string_view bytes);

}  // namespace net
