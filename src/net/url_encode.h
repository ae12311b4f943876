// Percent-encoding of form bodies: a space becomes "+", other bytes "%XX" (upper-case digits).
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace net {

// keepUnreserved (left out: false) copies letters, digits and ' ( ) * - . _ unchanged;
// toUtf8 (left out: false) encodes the UTF-8 form of the GBK text. Zero bytes are dropped.
std::string UrlEncode(std::string_view text, std::optional<bool> keepUnreserved = std::nullopt,
                      std::optional<bool> toUtf8 = std::nullopt);

}  // namespace net
