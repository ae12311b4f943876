// InetRequest against the local test server.
#include "exchange_fixture.h"
#include "net/inet_request.h"

namespace net {
namespace {

using testsupport::queryValue;

class InetRequestTest : public ExchangeTest {};

TEST_F(InetRequestTest, DefaultGetCarriesTheStandardHeadersAndTheAgent) {
  InetRequestOptions options;
  options.url = url("http", "header=" + queryValue("X-Reply: yes"));
  std::string body = InetRequest(options);

  EXPECT_EQ(options.status, 200);
  auto seen = requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].target, "/" + tag + "?header=X-Reply%3A%20yes");
  EXPECT_EQ(seen[0].header("Host"), "127.0.0.1:" + std::to_string(server->port("http")));
  EXPECT_EQ(seen[0].header("Accept"), "*/*");
  EXPECT_EQ(seen[0].header("Referer"), options.url);
  EXPECT_EQ(seen[0].header("Accept-Language"), "zh-cn");
  EXPECT_EQ(seen[0].header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
  EXPECT_FALSE(seen[0].header("Content-Type"));
  EXPECT_FALSE(seen[0].header("Cookie"));
  EXPECT_EQ(body, seen[0].raw);

  // The raw form: status line first, each line ending in CR LF, a blank line at the end.
  EXPECT_EQ(options.responseHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << options.responseHeaders;
  EXPECT_NE(options.responseHeaders.find("\r\nX-Reply: yes\r\n"), std::string::npos);
  EXPECT_TRUE(options.responseHeaders.ends_with("\r\n\r\n"));
}

TEST_F(InetRequestTest, PostSendsTheBodyBytesAndKeepsThemForTheCaller) {
  InetRequestOptions options;
  options.url = url("http");
  options.method = 1;
  options.body = "image=%2B%2F%3D";
  InetRequest(options);
  EXPECT_EQ(options.bodyBytes, "image=%2B%2F%3D");
  auto seen = requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[0].header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(seen[0].body, "image=%2B%2F%3D");
}

TEST_F(InetRequestTest, TheAgentComesFromTheCallersHeaderLine) {
  InetRequestOptions options;
  options.url = url("http");
  options.headers = "user-agent: QuizClient/2.0\r\ncontent-type: text/plain";
  options.method = 1;
  options.body = "x";
  InetRequest(options);
  auto seen = requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].header("User-Agent"), "QuizClient/2.0");
  EXPECT_EQ(seen[0].headerCount("User-Agent"), 1);
  EXPECT_EQ(seen[0].header("Content-Type"), "text/plain");
}

TEST_F(InetRequestTest, CookiesAreSentAndMerged) {
  InetRequestOptions options;
  options.url = url("http", "header=" + queryValue("Set-Cookie: sid=2; HttpOnly"));
  options.cookies = "sid=1; lang=zh";
  InetRequest(options);
  auto seen = requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].header("Cookie"), "sid=1; lang=zh");
  EXPECT_EQ(options.responseCookies, "sid=2; lang=zh");

  // Given but empty: no Cookie header, not even one the system kept from the reply above.
  InetRequestOptions empty;
  empty.url = url("http", "", "/again");
  empty.cookies = "";
  InetRequest(empty);
  seen = requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_FALSE(seen[1].header("Cookie"));
  EXPECT_EQ(empty.responseCookies, "");
}

TEST_F(InetRequestTest, HeadersThatDoNotFitTheBufferLeaveSpaces) {
  InetRequestOptions fits;
  fits.url = url("http", "header_block=4999&header=" + queryValue("Set-Cookie: a=1"));
  InetRequest(fits);
  EXPECT_EQ(fits.responseHeaders.size(), 4999u);
  EXPECT_EQ(fits.responseCookies, "a=1");

  for (int size : {5000, 5001, 40000}) {
    InetRequestOptions options;
    options.url = url("http", "header_block=" + std::to_string(size) +
                                  "&header=" + queryValue("Set-Cookie: a=1"));
    std::string body = InetRequest(options);
    EXPECT_EQ(options.responseHeaders, std::string(5000, ' ')) << size;
    EXPECT_EQ(options.responseCookies, "") << size;
    EXPECT_EQ(options.status, 200) << size;
    EXPECT_FALSE(body.empty()) << size;
  }
}

TEST_F(InetRequestTest, ABodyOfManyChunksArrivesWhole) {
  InetRequestOptions options;
  options.url = url("http", "body_size=3000001");
  std::string body = InetRequest(options);
  ASSERT_EQ(body.size(), 3000001u);
  EXPECT_EQ(body.substr(2999990), "01234567890");

  InetRequestOptions chunked;
  chunked.url = url("http", "body_size=5000&chunked=1");
  EXPECT_EQ(InetRequest(chunked).size(), 5000u);
}

TEST_F(InetRequestTest, RedirectsBetweenSchemes) {
  InetRequestOptions up;
  up.url =
      url("http", "status=302&header=" + queryValue("Location: " + url("https", "body=up", "/up")));
  EXPECT_EQ(InetRequest(up), "up");
  EXPECT_EQ(up.status, 200);

  InetRequestOptions stay;
  stay.url = up.url;
  stay.noRedirect = true;
  InetRequest(stay);
  EXPECT_EQ(stay.status, 302);

  InetRequestOptions down;
  down.url =
      url("https", "status=302&header=" + queryValue("Location: " + url("http", "", "/down")));
  InetRequest(down);
  EXPECT_EQ(down.status, 302) << "the redirect itself comes back";
  EXPECT_EQ(down.error, HttpError::kRedirect);
  for (const auto& request : requests())
    EXPECT_EQ(request.target.find("/down"), std::string::npos) << "followed to plain http";
}

TEST_F(InetRequestTest, ACookieSetByARedirectGoesOnToItsTarget) {
  const std::string target = url("http", "body=arrived", "/target");
  InetRequestOptions options;
  options.url = url("http", "status=302&header=" + queryValue("Location: " + target) +
                                "&header=" + queryValue("set-cookie: sid=7; path=/" + tag));
  EXPECT_EQ(InetRequest(options), "arrived");
  auto seen = requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_FALSE(seen[0].header("Cookie"));
  EXPECT_EQ(seen[1].header("Cookie"), "sid=7");
}

TEST_F(InetRequestTest, CertificatesAreVerifiedUnlessSwitchedOff) {
  InetRequestOptions trusted;
  trusted.url = url("https", "body=ok");
  EXPECT_EQ(InetRequest(trusted), "ok");

  for (const char* listener : {"untrusted", "wrong_name"}) {
    InetRequestOptions refused;
    refused.url = url(listener, "body=secret");
    refused.method = 1;
    refused.body = "key=secret";
    EXPECT_EQ(InetRequest(refused), "") << listener;
    EXPECT_EQ(refused.status, 0) << listener;
    EXPECT_EQ(refused.error, HttpError::kCertificate) << listener;
  }
  EXPECT_EQ(requests().size(), 1u) << "nothing was sent to a server that is not trusted";

  InetRequestOptions accepted;
  accepted.url = url("untrusted", "body=accepted");
  accepted.verifyCertificates = false;
  EXPECT_EQ(InetRequest(accepted), "accepted");
}

TEST_F(InetRequestTest, Proxies) {
  const std::string proxy = "127.0.0.1:" + std::to_string(server->port("http"));
  InetRequestOptions http;
  http.url = "http://proxied.invalid/" + tag + "?body=via-proxy";
  http.proxy = proxy;
  EXPECT_EQ(InetRequest(http), "via-proxy");

  InetRequestOptions tunnel;
  tunnel.url = url("https", "body=tunnelled", "/tunnel");
  tunnel.proxy = proxy;
  EXPECT_EQ(InetRequest(tunnel), "tunnelled");

  // (The CONNECT request names only host and port, so it is not among this test's requests.)
  auto seen = requests();
  ASSERT_EQ(seen.size(), 2u);
  // The whole URL goes to the proxy (Wine names the default port too).
  EXPECT_EQ(seen[0].target.rfind("http://proxied.invalid", 0), 0u) << seen[0].target;
  EXPECT_TRUE(seen[0].target.ends_with("/" + tag + "?body=via-proxy")) << seen[0].target;
  EXPECT_EQ(seen[1].via, "connect");
  EXPECT_EQ(seen[1].target, "/" + tag + "/tunnel?body=tunnelled");
}

TEST_F(InetRequestTest, SocksProxy) {
  if (underWine()) GTEST_SKIP() << "Wine's internet functions have no SOCKS support";
  InetRequestOptions options;
  options.url = server->url("http", "/" + tag + "?body=via-socks");
  options.proxy = "127.0.0.1:" + std::to_string(server->port("http"));
  options.socksProxy = true;
  EXPECT_EQ(InetRequest(options), "via-socks");
  auto seen = requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].via, "socks");
}

TEST_F(InetRequestTest, FailuresEndTheCallWithAnEmptyOrPartialResult) {
  InetRequestOptions refused;
  refused.url = server->url("refused", "/" + tag);
  EXPECT_EQ(InetRequest(refused), "");
  EXPECT_EQ(refused.error, HttpError::kConnect);
  EXPECT_EQ(refused.responseHeaders, std::string(5000, ' '));

  InetRequestOptions slow;
  slow.url = url("http", "delay_ms=30000");
  slow.timeoutSeconds = 1;
  EXPECT_LT(secondsFor([&] { InetRequest(slow); }), 15.0);
  EXPECT_EQ(slow.status, 0);
  EXPECT_EQ(slow.error, HttpError::kTimeout);

  InetRequestOptions dripping;
  dripping.url = url("http", "body_size=1000&drip_ms=100");
  dripping.timeoutSeconds = 1;
  std::string partial;
  EXPECT_LT(secondsFor([&] { partial = InetRequest(dripping); }), 15.0);
  EXPECT_LT(partial.size(), 1000u);
  EXPECT_EQ(dripping.error, HttpError::kTimeout);

  InetRequestOptions cut;
  cut.url = url("http", "body_size=100000&close_after=1000");
  EXPECT_LE(InetRequest(cut).size(), 1000u);
  EXPECT_EQ(cut.error, HttpError::kTransfer);

  InetRequestOptions reset;
  reset.url = url("http", "reset=1");
  EXPECT_EQ(InetRequest(reset), "");
  EXPECT_EQ(reset.status, 0);

  InetRequestOptions farPort;
  farPort.url = "http://127.0.0.1:" + std::to_string(65536 + server->port("http")) + "/" + tag;
  farPort.responseHeaders = "untouched";
  EXPECT_EQ(InetRequest(farPort), "");
  EXPECT_EQ(farPort.error, HttpError::kBadAddress);
  EXPECT_EQ(farPort.responseHeaders, "untouched");
  EXPECT_EQ(requests().size(), 4u) << "only slow, dripping, cut and reset reached the server";
}

}  // namespace
}  // namespace net
