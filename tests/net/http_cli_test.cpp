// quorvix-cli http against the local test server, run as a user runs it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_server.h"

namespace {

struct CliRun {
  int status = -1;
  std::string out;
};

CliRun cli(const std::string& args) {
  CliRun run;
  std::FILE* pipe = popen((std::string(QUORVIX_CLI) + " " + args + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    run.out.append(buffer, n);
  run.status = pclose(pipe);
  return run;
}

class HttpCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = testsupport::TestServer::current();
    if (!server) GTEST_SKIP() << "run under tests/support/http_test_server.py";
  }
  std::string quotedUrl(const char* listener, const std::string& pathAndQuery) const {
    return "'" + server->url(listener, pathAndQuery) + "'";
  }
  const testsupport::TestServer* server = nullptr;
};

TEST_F(HttpCliTest, PrintsStatusCookiesHeadersAndBody) {
  CliRun run = cli("http " + quotedUrl("http",
                                       "/cli-plain?header=Set-Cookie:%20a%3D1;%20path%3D/"
                                       "&body=%E4%BD%A0%E5%A5%BD"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("status 200\ncookies a=1\nHTTP/1.1 200 OK\r\n", 0), 0u) << run.out;
  EXPECT_TRUE(run.out.ends_with("\r\n\r\n你好")) << run.out;
}

TEST_F(HttpCliTest, SendsWhatItIsToldAndAnswersInJson) {
  CliRun run = cli("http " + quotedUrl("https", "/cli-json?body=ok") +
                   " --method 1 --header 'x-note: 说明' --body 'q=1' --cookies 's=2' --json");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.rfind("{\"status\":200,\"headers\":\"HTTP/1.1 200 OK\\r\\n", 0), 0u) << run.out;
  EXPECT_TRUE(run.out.ends_with("\"cookies\":\"s=2\",\"body\":\"ok\",\"error\":null}\n"))
      << run.out;

  auto seen = server->requestsFor("/cli-json");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[0].body, "q=1");
  EXPECT_EQ(seen[0].header("Cookie"), "s=2");
  // The header goes out as the program sends its texts: in GBK.
  EXPECT_EQ(seen[0].header("X-Note"), "\xCB\xB5\xC3\xF7");
}

// Each case: the reply script, what must be in the output (with --json) and whether the
// status line came first. A status line is no success when what followed it failed.
TEST_F(HttpCliTest, FailsWhenTheExchangeFailsEvenAfterAStatusLine) {
  const std::string untrusted = server->url("untrusted", "/cli-untrusted-target");
  const struct {
    std::string script, expected;
  } cases[] = {
      {"body_size=100&close_after=10", "\"status\":200,"},
      {"body_size=100&reset_after=10", "\"status\":200,"},
      {"raw=" + testsupport::queryValue("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                        "zz\r\nabc\r\n0\r\n\r\n"),
       "\"error\":\"the reply's chunked body is malformed\""},
      {"raw=" + testsupport::queryValue("HTTP/1.1 100 Continue\r\n\r\n"), "\"status\":100,"},
      {"raw=" + testsupport::queryValue("SSH-2.0-OpenSSH\r\n"),
       "\"error\":\"the reply is not HTTP\""},
      {"raw=" + testsupport::queryValue("HTTP/1.1 2x0 OK\r\nContent-Length: 0\r\n\r\n"),
       "\"error\":\"bad status code\""},
      {"status=302&header=" + testsupport::queryValue("Location: " + untrusted),
       "\"error\":\"the server's certificate is not trusted or names another host\""},
  };
  for (const auto& c : cases) {
    CliRun run = cli("http " + quotedUrl("http", "/cli-fail?" + c.script) + " --json");
    EXPECT_EQ(run.status, 256) << c.script << "\n" << run.out;
    EXPECT_NE(run.out.find(c.expected), std::string::npos) << c.script << "\n" << run.out;
    EXPECT_EQ(run.out.find("\"error\":null"), std::string::npos) << c.script << "\n" << run.out;
    EXPECT_EQ(run.out.find("address cannot be used"), std::string::npos) << run.out;
  }
  EXPECT_TRUE(server->requestsFor("/cli-untrusted-target").empty());
}

TEST_F(HttpCliTest, RefusesAnUntrustedServerAndBadArguments) {
  CliRun untrusted = cli("http " + quotedUrl("untrusted", "/cli-untrusted"));
  EXPECT_EQ(untrusted.status, 256);
  EXPECT_NE(untrusted.out.find("certificate"), std::string::npos) << untrusted.out;
  EXPECT_TRUE(server->requestsFor("/cli-untrusted").empty());

  EXPECT_EQ(cli("http").status, 512);
  EXPECT_EQ(cli("http " + quotedUrl("http", "/") + " --method FETCH").status, 512);
  EXPECT_EQ(cli("http " + quotedUrl("http", "/") + " --frobnicate").status, 512);
}

}  // namespace
