// Cookie texts: "name=value" items joined by "; ", as both request routes send and return them.
#pragma once
#include <string>
#include <string_view>

namespace net {

// The name=value part of every "Set-Cookie" line of a response header text, joined by "; ",
// with no separator at the end.
std::string CollectResponseCookies(std::string_view responseHeaders);

// Received cookies first, then the sent ones the server did not name; items the server
// deleted ("...=deleted") and repeated items left out.
std::string MergeCookies(std::string_view sent, std::string_view received);

// The text before the first "=" of an item (the whole item when there is none), trimmed.
std::string CookieName(std::string_view item);

// Keeps the first occurrence of each item, in order.
std::string RemoveDuplicateItems(std::string_view text, std::string_view separator);

}  // namespace net
