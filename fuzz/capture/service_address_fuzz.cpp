// The service address check on any text, as a hand-edited settings file may hold: it never
// fails, an address it takes reads back as itself, and plain http is only ever taken for this
// machine.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "capture/service_address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const capture::ServiceAddressCheck check = capture::checkServiceAddress(text);
  if (!check.ok()) {
    if (!check.address.empty()) std::abort();
    return 0;
  }
  const capture::ServiceAddressCheck again = capture::checkServiceAddress(check.address);
  if (!again.ok() || again.address != check.address) std::abort();
  if (check.address.starts_with("http://")) {
    std::string_view rest = std::string_view(check.address).substr(7);
    rest = rest.substr(0, rest.find('/'));
    const std::size_t colon = rest.starts_with('[') ? rest.find("]:") : rest.find(':');
    const std::string_view host =
        rest.substr(0, colon == std::string_view::npos ? rest.size()
                                                       : colon + (rest.starts_with('[') ? 1 : 0));
    if (!capture::isLoopbackHost(host)) std::abort();
  }
  return 0;
}
