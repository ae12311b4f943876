#include <openssl/evp.h>

#include <memory>

#include "platform/md5.h"

namespace platform {

std::optional<Md5> md5Digest(std::string_view bytes) {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                  &EVP_MD_CTX_free);
  std::array<unsigned char, 16> digest{};
  unsigned int length = 0;
  if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
      EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1 || length != digest.size())
    return std::nullopt;
  return digest;
}

}  // namespace platform
