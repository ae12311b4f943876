// MD5 as hexadecimal text, through the system's cryptographic provider (CryptoAPI on Windows,
// OpenSSL natively).
#pragma once
#include <string>
#include <string_view>

namespace net {

enum class Md5Form {
  kLower32,  // what the program stores and compares
  kUpper32,
  kMiddle16,  // digits 9 to 24 of the lower-case form
};

// Empty text when the provider fails.
std::string Md5Hex(std::string_view bytes, Md5Form form = Md5Form::kLower32);

}  // namespace net
