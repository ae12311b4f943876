// quorvix-cli http URL [--method M] [--header LINE]... [--body TEXT] [--cookies TEXT]
// [--proxy ADDR] [--json]: one exchange the way the program makes its OCR requests, to check a
// proxy or a server from the command line. Certificates are verified as the program does.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/json_text.h"
#include "net/http_constants.h"
#include "net/inet_request.h"
#include "platform/cp936.h"
#include "platform/gbk_text.h"
#include "platform/utf8.h"

namespace cli {
namespace {

const char* const kUsage =
    "http URL [--method M] [--header LINE]... [--body TEXT] [--cookies TEXT] [--proxy ADDR] "
    "[--json]";

int usageError() {
  std::fprintf(stderr, "usage: quorvix-cli %s\n", kUsage);
  return 2;
}

// A method name of the table (any case) or an index, which the request takes as it takes any.
bool parseMethod(const std::string& text, int& method) {
  for (int i = 0; i < int(std::size(net::kMethodNames)); ++i) {
    if (gbk::toUpperAscii(text) == net::kMethodNames[i]) {
      method = i;
      return true;
    }
  }
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0') return false;
  method = int(value);
  return true;
}

const char* failureText(net::HttpError error) {
  switch (error) {
    case net::HttpError::kNone:
      return "";
    case net::HttpError::kUnavailable:
      return "the HTTP service is not available";
    case net::HttpError::kBadAddress:
      return "the address cannot be used";
    case net::HttpError::kConnect:
      return "no connection (refused, unreachable or unknown host)";
    case net::HttpError::kTimeout:
      return "no reply in time";
    case net::HttpError::kCertificate:
      return "the server's certificate is not trusted or names another host";
    case net::HttpError::kRedirect:
      return "a redirect was not followed (from https to plain http, or too many)";
    case net::HttpError::kTransfer:
      return "the connection broke off before the reply was complete";
    case net::HttpError::kTooLarge:
      return "the reply is too large; it was cut";
    case net::HttpError::kNotHttp:
      return "the reply is not HTTP";
    case net::HttpError::kBadStatus:
      return "bad status code";
    case net::HttpError::kBadChunk:
      return "the reply's chunked body is malformed";
    case net::HttpError::kNoFinalReply:
      return "only an interim reply (100 Continue) came, no final one";
  }
  return "";
}

// The body as JSON text: valid UTF-8 as it is, anything else as U+FFFD.
std::string bodyAsUtf8(const std::string& bytes) { return utf8::fromUtf16(utf8::toUtf16(bytes)); }

int runHttp(const Context& context) {
  net::InetRequestOptions options;
  bool json = false, haveUrl = false;
  std::string headers;
  const auto& args = context.args;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--json") {
      json = true;
    } else if (arg == "--method" && hasValue) {
      if (!parseMethod(args[++i], options.method)) return usageError();
    } else if (arg == "--header" && hasValue) {
      if (!headers.empty()) headers += "\r\n";
      headers += cp936::fromUtf8(args[++i]);
    } else if (arg == "--body" && hasValue) {
      options.body = cp936::fromUtf8(args[++i]);
    } else if (arg == "--cookies" && hasValue) {
      options.cookies = cp936::fromUtf8(args[++i]);
    } else if (arg == "--proxy" && hasValue) {
      options.proxy = args[++i];
    } else if (!haveUrl && arg.rfind("--", 0) != 0) {
      options.url = cp936::fromUtf8(arg);
      haveUrl = true;
    } else {
      return usageError();
    }
  }
  if (!haveUrl) return usageError();
  options.headers = headers;

  std::string body = net::InetRequest(options);
  // Headers too long for the program's buffer reach it as 5000 spaces, and so here.
  const bool headersFit = options.responseHeaders != std::string(5000, ' ');
  const std::string responseHeaders = headersFit ? cp936::toUtf8(options.responseHeaders) : "";
  const std::string cookies = cp936::toUtf8(options.responseCookies);
  const bool failed = options.error != net::HttpError::kNone;
  if (json) {
    const std::string error = failed ? jsonString(failureText(options.error)) : "null";
    std::printf("{\"status\":%d,\"headers\":%s,\"cookies\":%s,\"body\":%s,\"error\":%s}\n",
                options.status, jsonString(responseHeaders).c_str(), jsonString(cookies).c_str(),
                jsonString(bodyAsUtf8(body)).c_str(), error.c_str());
  } else {
    std::printf("status %d\ncookies %s\n", options.status, cookies.c_str());
    if (!headersFit && options.status != 0)
      std::printf("(the response headers do not fit into 5000 bytes)\n\n");
    std::fwrite(responseHeaders.data(), 1, responseHeaders.size(), stdout);
    std::fwrite(body.data(), 1, body.size(), stdout);
  }
  std::fflush(stdout);
  if (failed) std::fprintf(stderr, "quorvix-cli http: %s\n", failureText(options.error));
  // A status line alone is no success: what was printed may be cut short or refused.
  return options.status == 0 || failed ? 1 : 0;
}

}  // namespace

void addHttpCommand(std::vector<Command>& table) {
  table.push_back(
      {"http", kUsage, "one request as the program makes it; prints the reply", runHttp});
}

}  // namespace cli
