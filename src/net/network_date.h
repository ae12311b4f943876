// The date of a web server, which the answer form shows instead of the local clock's.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace net {

// Asked when the caller names no address: the root page of a large public web site.
inline constexpr std::string_view kNetworkDateUrl = "http://www.baidu.com/";
// Test setting: the address asked instead of the built-in one.
inline constexpr const char* kDateUrlEnv = "QUORVIX_DATE_URL";
// Short, so that a missing network costs little; the answer form asks on a worker thread.
inline constexpr int kNetworkDateTimeoutSeconds = 5;
// The whole request, however its phases add up: a server that takes the connection and never
// answers leaves the status line empty no longer than this.
inline constexpr int kNetworkDateTotalMs = 15000;

enum class NetworkDateError {
  kNone,
  kNoAnswer,        // no server replied in time (no network, refused, time-out, bad certificate)
  kNoDateHeader,    // a server replied without a Date header
  kUnreadableDate,  // its Date header is no date
};

struct NetworkDate {
  NetworkDateError error = NetworkDateError::kNoAnswer;
  // Days since 30 December 1899 with the time of day as the fraction, in the UTC+8 zone (GMT
  // when asked for untouched); meaningful only when error is kNone.
  double date = 0;
  bool answered() const { return error == NetworkDateError::kNone; }
};

struct NetworkDateRequest {
  std::optional<std::string> url;  // else $QUORVIX_DATE_URL, else kNetworkDateUrl
  int timeoutSeconds = kNetworkDateTimeoutSeconds;
  int totalMs = kNetworkDateTotalMs;
  bool untouched = false;  // the server's GMT time instead of UTC+8
};

// A HEAD request with the standard headers, read for its Date header. Blocks for at most
// totalMs (and a little); keeps no state, so any thread may call it, several at once.
NetworkDate FetchNetworkDate(const NetworkDateRequest& request = {});

// The value of the header line named "Date" (any case) of a response header text, or nullopt.
std::optional<std::string> DateHeaderValue(std::string_view responseHeaders);

}  // namespace net
