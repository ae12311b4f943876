#include "platform/win32/http_errors.h"

#include "platform/cp936.h"

namespace platform::win32http {

HttpFailure failureOfError(unsigned long error) {
  switch (error) {
    case 0:
      return HttpFailure::kNone;
    case 12002:  // time-out
      return HttpFailure::kTimeout;
    case 12005:  // invalid URL
    case 12006:  // unrecognised scheme
      return HttpFailure::kBadAddress;
    case 12007:  // name not resolved
    case 12029:  // cannot connect
    case 12166:  // proxy script or proxy failure
      return HttpFailure::kConnect;
    case 12156:  // redirect failed (refused from https to plain http)
      return HttpFailure::kRedirect;
    case 12037:  // certificate date invalid
    case 12038:  // certificate name invalid
    case 12044:  // client certificate needed
    case 12045:  // unknown certification authority
    case 12055:  // certificate errors
    case 12056:  // no revocation information
    case 12057:  // revocation failed
    case 12169:  // invalid certificate
    case 12170:  // certificate revoked
    case 12157:  // secure channel error: how Wine reports a refused certificate
    case 12175:  // secure channel failure
    case 12179:  // wrong certificate usage
      return HttpFailure::kCertificate;
    default:
      return HttpFailure::kTransfer;
  }
}

bool cutShort(std::string_view headerText, std::size_t bodySize) {
  constexpr std::string_view kName = "content-length:";
  std::size_t at = 0;
  while (at < headerText.size()) {
    std::size_t end = headerText.find("\r\n", at);
    if (end == std::string_view::npos) end = headerText.size();
    std::string_view line = headerText.substr(at, end - at);
    at = end + 2;
    if (line.size() <= kName.size()) continue;
    bool named = true;  // letters in any case; "-" and ":" keep their 0x20 bit
    for (std::size_t i = 0; i < kName.size() && named; ++i) named = (line[i] | 0x20) == kName[i];
    if (!named) continue;
    unsigned long long announced = 0;
    bool digits = false;
    for (char c : line.substr(kName.size())) {
      if (c == ' ' && !digits) continue;
      if (c < '0' || c > '9' || announced > (1ull << 40)) break;
      announced = announced * 10 + unsigned(c - '0');
      digits = true;
    }
    return digits && bodySize < announced;
  }
  return false;
}

std::wstring wide(std::string_view gbk) {
  std::u16string utf16 = cp936::toUtf16(gbk);
  return std::wstring(utf16.begin(), utf16.end());
}

std::string narrow(std::wstring_view text) {
  return cp936::fromUtf16(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace platform::win32http
