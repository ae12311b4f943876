// Exchanges against the local test server, checked from the server's side.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "test_server.h"

namespace net {

class ExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = testsupport::TestServer::current();
    if (!server) GTEST_SKIP() << "run under tests/support/http_test_server.py";
    tag = testsupport::uniqueTag(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  // A URL of this test on a listener; `query` is the reply script.
  std::string url(const char* listener, const std::string& query = "",
                  const std::string& suffix = "") const {
    return server->url(listener, "/" + tag + suffix + (query.empty() ? "" : "?" + query));
  }
  std::vector<testsupport::RecordedRequest> requests() const { return server->requestsFor(tag); }

  static bool underWine();

  const testsupport::TestServer* server = nullptr;
  std::string tag;
};

// Wall time of a call, to check that it ended early rather than how fast it was.
template <typename Call>
double secondsFor(Call&& call) {
  auto start = std::chrono::steady_clock::now();
  call();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace net
