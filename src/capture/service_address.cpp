#include "capture/service_address.h"

#include <algorithm>
#include <cstddef>

namespace capture {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
std::string lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), lower);
  return out;
}

bool allowedCharacter(char c) {
  return isAsciiLetter(c) || isDigit(c) ||
         std::string_view("-._~:/[];=,+%").find(c) != std::string_view::npos;
}

// Segments of unreserved characters, ";=,+" and %HH escapes; no empty segment, no query, no
// fragment, nothing that could end the path before the requests' own.
bool validPath(std::string_view path) {
  if (path.find("//") != std::string_view::npos) return false;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (c == '%') {
      if (i + 2 >= path.size() || !isHex(path[i + 1]) || !isHex(path[i + 2])) return false;
      i += 2;
    } else if (!(isAsciiLetter(c) || isDigit(c) ||
                 std::string_view("-._~/;=,+").find(c) != std::string_view::npos)) {
      return false;
    }
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Dot-separated labels of letters, digits and "-".
bool validHostName(std::string_view host) {
  if (host.empty()) return false;
  std::size_t labelLength = 0;
  for (char c : host) {
    if (c == '.') {
      if (labelLength == 0) return false;
      labelLength = 0;
    } else if (isAsciiLetter(c) || isDigit(c) || c == '-') {
      ++labelLength;
    } else {
      return false;
    }
  }
  return labelLength != 0;
}

bool validPort(std::string_view port) {
  if (port.empty() || port.size() > 5) return false;
  if (!std::all_of(port.begin(), port.end(), isDigit)) return false;
  const long value = std::stol(std::string(port));
  return value >= 1 && value <= 65535;
}

// Decimal 0-255 without leading zeros, which some resolvers would read as octal.
bool ipv4Part(std::string_view part, int& value) {
  if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == '0')) return false;
  if (!std::all_of(part.begin(), part.end(), isDigit)) return false;
  value = std::stoi(std::string(part));
  return value <= 255;
}

bool loopbackIpv4(std::string_view host) {
  int parts = 0, first = -1;
  while (true) {
    const std::size_t dot = host.find('.');
    int value = 0;
    if (!ipv4Part(host.substr(0, dot), value)) return false;
    if (parts++ == 0) first = value;
    if (dot == std::string_view::npos) break;
    host.remove_prefix(dot + 1);
  }
  return parts == 4 && first == 127;
}

}  // namespace

bool isLoopbackHost(std::string_view host) {
  const std::string name = lowered(host);
  return name == "localhost" || name == "[::1]" || loopbackIpv4(name);
}

ServiceAddressCheck checkServiceAddress(std::string_view typed) {
  ServiceAddressCheck check;
  const std::string_view text = trimmed(typed);
  if (text.empty()) return check;
  check.problem = ServiceAddressProblem::kMalformed;
  if (!std::all_of(text.begin(), text.end(), allowedCharacter)) return check;

  const std::string scheme = lowered(text.substr(0, text.find("://")));
  if ((scheme != "http" && scheme != "https") || text.find("://") == std::string_view::npos)
    return check;
  std::string_view rest = text.substr(scheme.size() + 3);
  const std::size_t slash = rest.find('/');
  const std::string_view authority = rest.substr(0, slash);
  std::string_view path = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
  while (path.ends_with('/')) path.remove_suffix(1);

  std::string_view host, port;
  bool hasPort = false;
  if (authority.starts_with('[')) {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos || close == 1) return check;
    if (!std::all_of(authority.begin() + 1, authority.begin() + long(close),
                     [](char c) { return isHex(c) || c == ':'; }))
      return check;
    host = authority.substr(0, close + 1);
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after[0] != ':') return check;
      hasPort = true;
      port = after.substr(1);
    }
  } else {
    const std::size_t colon = authority.find(':');
    host = authority.substr(0, colon);
    if (colon != std::string_view::npos) {
      hasPort = true;
      port = authority.substr(colon + 1);
    }
    if (!validHostName(host)) return check;
  }
  if (hasPort && !validPort(port)) return check;
  if (!validPath(path)) return check;

  if (scheme == "http" && !isLoopbackHost(host)) {
    check.problem = ServiceAddressProblem::kPlainHttpRemote;
    return check;
  }
  check.problem = ServiceAddressProblem::kNone;
  std::string& address = check.address;
  address.append(scheme).append("://").append(lowered(host));
  if (hasPort) address.append(":").append(port);
  address.append(path);
  return check;
}

}  // namespace capture
