#include <windows.h>  // includes wincrypt.h

#include <algorithm>
#include <limits>

#include "platform/md5.h"

namespace platform {
namespace {

// Owns a provider context and, once created, a hash object; releases the hash first.
class Md5Session {
 public:
  ~Md5Session() {
    if (hash_) CryptDestroyHash(hash_);
    if (provider_) CryptReleaseContext(provider_, 0);
  }

  // A verify-only context needs no key container; some systems refuse it, so ask once more
  // for the default container.
  bool open() {
    if (CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
      return true;
    provider_ = 0;
    if (CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_FULL, 0)) return true;
    provider_ = 0;
    return false;
  }

  bool hash(std::string_view bytes) {
    if (!CryptCreateHash(provider_, CALG_MD5, 0, 0, &hash_)) {
      hash_ = 0;
      return false;
    }
    // CryptHashData takes a DWORD length: feed very large inputs in pieces.
    constexpr std::size_t kPiece = std::numeric_limits<DWORD>::max();
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
      const std::size_t n = std::min(kPiece, bytes.size() - at);
      if (!CryptHashData(hash_, reinterpret_cast<const BYTE*>(bytes.data() + at), DWORD(n), 0))
        return false;
    }
    return true;
  }

  bool value(std::array<unsigned char, 16>& digest) {
    DWORD length = DWORD(digest.size());
    return CryptGetHashParam(hash_, HP_HASHVAL, digest.data(), &length, 0) &&
           length == digest.size();
  }

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
};

}  // namespace

std::optional<Md5> md5Digest(std::string_view bytes) {
  Md5Session session;
  std::array<unsigned char, 16> digest{};
  if (!session.open() || !session.hash(bytes) || !session.value(digest)) return std::nullopt;
  return digest;
}

}  // namespace platform
