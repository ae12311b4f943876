// Fixed values both request routes share.
#pragma once
#include <string_view>

namespace net {

inline constexpr std::string_view kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// The method table: an index outside it means GET.
inline constexpr std::string_view kMethodNames[] = {"GET",     "POST",   "HEAD",  "PUT",
                                                    "OPTIONS", "DELETE", "TRACE", "CONNECT"};
inline constexpr int kMethodPost = 1;
inline constexpr int kMethodHead = 2;

inline constexpr int clampMethod(int method) { return method < 0 || method > 7 ? 0 : method; }

}  // namespace net
