// The base address of the recognition service as a user gives it: checked before any key is
// sent there, and put in the one form the requests are built on.
#pragma once
#include <string>
#include <string_view>

namespace capture {

enum class ServiceAddressProblem {
  kNone,
  kMalformed,        // not "http(s)://host[:port][/path]" in plain ASCII
  kPlainHttpRemote,  // "http://" to a host other than this machine
};

struct ServiceAddressCheck {
  ServiceAddressProblem problem = ServiceAddressProblem::kNone;
  // Blanks around it trimmed, scheme and host in lower case, no trailing "/"; empty for an
  // empty text, which means the provider's own address.
  std::string address;
  bool ok() const { return problem == ServiceAddressProblem::kNone; }
};

// Keys and pictures travel in the clear over "http://", so that is taken only for this
// machine (localhost, 127.0.0.0/8, [::1]); anywhere else must be "https://", whose certificate
// the HTTP routines verify. User names, queries, fragments and escapes are refused: the
// requests append their own path and query.
ServiceAddressCheck checkServiceAddress(std::string_view typed);

// localhost, a dotted IPv4 address in 127.0.0.0/8 (four decimal parts), or "[::1]".
bool isLoopbackHost(std::string_view host);

}  // namespace capture
