// The local test server (http_test_server.py) as a GoogleTest suite sees it when the suite was
// started under it: its ports, its certificate authority and the requests it has read. Works in
// the native build and in the Windows build under Wine.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testsupport {

// One request as the server read it.
struct RecordedRequest {
  std::string listener;  // "http", "https", "wrong_name", "untrusted"
  std::string via;       // "", "socks", or "connect" (a tunnel through the http listener)
  std::string method, target, version;
  std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed
  std::string body;
  std::string raw;

  // The value of the first field of that name, any case.
  std::optional<std::string> header(std::string_view name) const;
  int headerCount(std::string_view name) const;
};

class TestServer {
 public:
  // The server this test run was started under, or null when there is none.
  static const TestServer* current();

  int port(std::string_view listener) const;
  // "http://127.0.0.1:PORT" + pathAndQuery, or "https://localhost:PORT" for the TLS listeners.
  std::string url(std::string_view listener, std::string_view pathAndQuery) const;
  std::filesystem::path caFile() const { return caFile_; }

  // The requests whose target holds `tag`, in the order the server read them.
  std::vector<RecordedRequest> requestsFor(std::string_view tag) const;

 private:
  std::vector<std::pair<std::string, int>> ports_;
  std::filesystem::path caFile_;
  std::filesystem::path log_;
};

// A tag no other test of the run uses, to find a test's own requests in the log.
std::string uniqueTag(std::string_view name);

// A query-string value: every byte but letters, digits and "-._~" as %XX.
std::string queryValue(std::string_view text);

}  // namespace testsupport
