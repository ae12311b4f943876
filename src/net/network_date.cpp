#include "net/network_date.h"

#include <cstdlib>

#include "net/http_constants.h"
#include "net/http_date.h"
#include "net/http_headers.h"
#include "net/http_request.h"
#include "platform/gbk_text.h"

namespace net {
namespace {

std::string dateUrl(const NetworkDateRequest& request) {
  if (request.url) return *request.url;
  const char* fromEnvironment = std::getenv(kDateUrlEnv);
  if (fromEnvironment && *fromEnvironment) return fromEnvironment;
  return std::string(kNetworkDateUrl);
}

}  // namespace

std::optional<std::string> DateHeaderValue(std::string_view responseHeaders) {
  // The line named Date, not the first "Date:" anywhere: "X-Origin-Date:" is another header.
  for (const std::string& line : SplitLines(responseHeaders)) {
    if (gbk::toLowerAscii(HeaderName(line)) == "date") return HeaderValue(line);
  }
  return std::nullopt;
}

NetworkDate FetchNetworkDate(const NetworkDateRequest& request) {
  HttpRequestOptions options;
  options.url = dateUrl(request);
  options.method = kMethodHead;
  options.timeoutSeconds = request.timeoutSeconds;
  options.totalMs = request.totalMs;
  HttpRequest(options);

  NetworkDate result;
  if (options.status == 0) return result;  // kNoAnswer
  auto value = DateHeaderValue(options.responseHeaders);
  if (!value) {
    result.error = NetworkDateError::kNoDateHeader;
    return result;
  }
  auto date = ParseHttpDate(*value, request.untouched);
  if (!date) {
    result.error = NetworkDateError::kUnreadableDate;
    return result;
  }
  result.error = NetworkDateError::kNone;
  result.date = *date;
  return result;
}

}  // namespace net
