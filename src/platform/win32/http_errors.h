// What the two Windows HTTP routes share: the meaning of their error numbers (WinHTTP and
// WinINet number theirs alike, 12000 and up) and the text conversions at their edge.
#pragma once
#include <string>
#include <string_view>

#include "platform/http_client.h"

namespace platform::win32http {

HttpFailure failureOfError(unsigned long error);

// Whether a body is shorter than the Content-Length its headers announce: the system reports a
// connection closed mid-body as a normal end.
bool cutShort(std::string_view headerText, std::size_t bodySize);

// Program text (GBK) to the wide text the system takes, and back.
std::wstring wide(std::string_view gbk);
std::string narrow(std::wstring_view text);

}  // namespace platform::win32http
