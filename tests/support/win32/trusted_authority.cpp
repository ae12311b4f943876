#include "win32/trusted_authority.h"

#include <windows.h>
// after windows.h
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {
namespace {

bool runsUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::vector<BYTE> derOfPem(const std::filesystem::path& pemFile) {
  std::ifstream in(pemFile, std::ios::binary);
  std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  DWORD size = 0;
  if (pem.empty() ||
      !CryptStringToBinaryA(pem.c_str(), DWORD(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                            &size, nullptr, nullptr))
    return {};
  std::vector<BYTE> der(size);
  if (!CryptStringToBinaryA(pem.c_str(), DWORD(pem.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                            &size, nullptr, nullptr))
    return {};
  der.resize(size);
  return der;
}

// The machine's root store is a registry store: what is added reaches the registry, and so
// the system's certificate checks, only when the store is closed.
HCERTSTORE openRootStore() {
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE,
                       L"Root");
}

class TrustedRoot {
 public:
  explicit TrustedRoot(const std::vector<BYTE>& der) : der_(der) {
    HCERTSTORE store = openRootStore();
    if (!store) return;
    added_ =
        CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), DWORD(der.size()),
                                         CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(store, 0);
  }
  ~TrustedRoot() {
    if (!added_) return;
    HCERTSTORE store = openRootStore();
    if (!store) return;
    PCCERT_CONTEXT cert =
        CertCreateCertificateContext(X509_ASN_ENCODING, der_.data(), DWORD(der_.size()));
    PCCERT_CONTEXT found = cert ? CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                             CERT_FIND_EXISTING, cert, nullptr)
                                : nullptr;
    if (found) CertDeleteCertificateFromStore(found);  // frees `found`
    if (cert) CertFreeCertificateContext(cert);
    CertCloseStore(store, 0);
  }
  bool added() const { return added_; }

 private:
  std::vector<BYTE> der_;
  bool added_ = false;
};

}  // namespace

bool trustAuthorityForThisRun(const std::filesystem::path& pemFile) {
  static std::mutex mutex;
  static std::unique_ptr<TrustedRoot> root;
  std::lock_guard<std::mutex> lock(mutex);
  if (root) return root->added();
  if (!runsUnderWine()) return false;
  auto der = derOfPem(pemFile);
  if (der.empty()) return false;
  root = std::make_unique<TrustedRoot>(der);
  return root->added();
}

}  // namespace testsupport
