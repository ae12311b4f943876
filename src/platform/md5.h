// MD5 digests through the system's cryptographic provider (CryptoAPI on Windows, OpenSSL
// natively).
#pragma once
#include <array>
#include <optional>
#include <string_view>

namespace platform {

using Md5 = std::array<unsigned char, 16>;

// Nullopt when the provider fails.
std::optional<Md5> md5Digest(std::string_view bytes);

}  // namespace platform
