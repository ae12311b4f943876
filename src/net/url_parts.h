// The host, port and path of an http or https URL, as the WinINet route connects with them.
#pragma once
#include <string>
#include <string_view>

namespace net {

// The host, lower-cased, with its ":port" when keepPort. A URL without "http://" anywhere is
// read as if it started with it.
std::string UrlHost(std::string_view url, bool keepPort = false);

// The port after the host's last ":", else 443 for an "https" URL and 80 otherwise. Digits are
// read as far as they go: no digits give 0, more than 65535 gives a value above it.
int UrlPort(std::string_view url);

// From the first "/" after the host to the end (query included); "/" when there is none.
std::string UrlPath(std::string_view url);

}  // namespace net
