// HttpRequest and FetchNetworkDate against the local test server.
#include <thread>

#include "exchange_fixture.h"
#include "net/http_date.h"
#include "net/http_request.h"
#include "net/network_date.h"

namespace net {
namespace {

using testsupport::queryValue;

class HttpRequestTest : public ExchangeTest {};

TEST_F(HttpRequestTest, DefaultGetCarriesTheStandardHeaders) {
  HttpRequestOptions options;
  options.url = url("http", "header=" + queryValue("X-Reply: yes"));
  std::string body = HttpRequest(options);

  EXPECT_EQ(options.status, 200);
  EXPECT_EQ(options.error, HttpError::kNone);
  auto seen = requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].header("Accept"), "*/*");
  EXPECT_EQ(seen[0].header("Referer"), options.url);
  EXPECT_EQ(seen[0].header("Accept-Language"), "zh-cn");
  EXPECT_EQ(seen[0].header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
  EXPECT_FALSE(seen[0].header("Content-Type"));
  EXPECT_EQ(body, seen[0].raw) << "the server echoes what it read";

  // Headers only, no status line, each line ending in CR LF and a blank line at the end.
  EXPECT_EQ(options.responseHeaders.rfind("HTTP/", 0), std::string::npos);
  EXPECT_NE(options.responseHeaders.find("X-Reply: yes\r\n"), std::string::npos);
  EXPECT_TRUE(options.responseHeaders.ends_with("\r\n\r\n")) << options.responseHeaders;
}

TEST_F(HttpRequestTest, MethodsAndBodies) {
  HttpRequestOptions post;
  post.url = url("http");
  post.method = 1;
  post.body = "a=1&b=%E4";
  HttpRequest(post);
  HttpRequestOptions bytes;
  bytes.url = url("http");
  bytes.method = 3;
  bytes.body = "ignored";
  bytes.bodyBytes = std::string("\0\x01\xFF", 3);
  HttpRequest(bytes);
  HttpRequestOptions outside;
  outside.url = url("http");
  outside.method = 9;
  HttpRequest(outside);
  HttpRequestOptions head;
  head.url = url("http");
  head.method = 2;
  EXPECT_EQ(HttpRequest(head), "");
  EXPECT_EQ(head.status, 200);

  auto seen = requests();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[0].header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(seen[0].body, "a=1&b=%E4");
  EXPECT_EQ(seen[1].method, "PUT");
  EXPECT_EQ(seen[1].body, std::string("\0\x01\xFF", 3));
  EXPECT_EQ(seen[2].method, "GET");
  EXPECT_EQ(seen[3].method, "HEAD");
}

TEST_F(HttpRequestTest, CallerHeadersReplaceStandardOnesAndKeepAliveLinesAreLeftOut) {
  HttpRequestOptions options;
  options.url = url("http");
  options.headers = "accept: text/html\r\nConnection: keep-alive\r\nx-custom-name: v\r\n";
  HttpRequest(options);
  auto seen = requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].header("Accept"), "text/html");
  EXPECT_EQ(seen[0].headerCount("Accept"), 1);
  EXPECT_EQ(seen[0].header("X-Custom-Name"), "v");
  EXPECT_NE(seen[0].raw.find("\r\nX-Custom-Name: v\r\n"), std::string::npos) << seen[0].raw;

  HttpRequestOptions closing;
  closing.url = url("http", "", "/close");
  closing.headers = "X-A: 1\r\nConnection: close";
  HttpRequest(closing);
  seen = requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].header("Connection"), "close");
}

TEST_F(HttpRequestTest, CookiesGoOutWithoutPrefixAndComeBackMerged) {
  HttpRequestOptions options;
  options.url = url("http", "header=" + queryValue("Set-Cookie: a=2; path=/") +
                                "&header=" + queryValue("Set-Cookie: c=deleted") +
                                "&header=" + queryValue("Set-Cookie: d=4"));
  options.cookies = "Cookie: a=1; c=3; e=5";
  HttpRequest(options);
  EXPECT_EQ(options.cookies, " a=1; c=3; e=5") << "the caller's text loses its prefix";
  auto seen = requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].header("Cookie"), "a=1; c=3; e=5");
  EXPECT_EQ(options.responseCookies, "a=2; d=4; e=5");

  HttpRequestOptions unmerged;
  unmerged.url = options.url;
  unmerged.cookies = "e=5";
  unmerged.mergeCookies = false;
  HttpRequest(unmerged);
  EXPECT_EQ(unmerged.responseCookies, "a=2; c=deleted; d=4");
}

TEST_F(HttpRequestTest, RedirectsAreFollowedUnlessTurnedOff) {
  HttpRequestOptions options;
  const std::string target = url("http", "body=arrived", "/target");
  options.url = url("http", "status=302&header=" + queryValue("Location: " + target));
  EXPECT_EQ(HttpRequest(options), "arrived");
  EXPECT_EQ(options.status, 200);

  HttpRequestOptions stay;
  stay.url = options.url;
  stay.noRedirect = true;
  HttpRequest(stay);
  EXPECT_EQ(stay.status, 302);
  EXPECT_NE(stay.responseHeaders.find("Location: " + target), std::string::npos);
  EXPECT_EQ(requests().size(), 3u) << "two redirects asked for, one followed";
}

TEST_F(HttpRequestTest, ACookieSetByARedirectGoesOnToItsTarget) {
  const std::string target = url("http", "body=arrived", "/target");
  const std::string redirect = "status=302&header=" + queryValue("Location: " + target) +
                               "&header=" + queryValue("set-cookie: sid=7; path=/" + tag);
  HttpRequestOptions options;
  options.url = url("http", redirect, "/first");
  EXPECT_EQ(HttpRequest(options), "arrived");
  HttpRequestOptions own;
  own.url = url("http", redirect, "/second");
  own.cookies = "lang=zh";
  EXPECT_EQ(HttpRequest(own), "arrived");

  auto seen = requests();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_FALSE(seen[0].header("Cookie"));
  EXPECT_EQ(seen[1].header("Cookie"), "sid=7");
  // The caller's cookies go to the target in one Cookie header. Natively they are the whole
  // header; the system's request object also adds the redirect's cookie to it.
  EXPECT_EQ(seen[2].header("Cookie"), "lang=zh");
  EXPECT_EQ(seen[3].headerCount("Cookie"), 1);
  EXPECT_EQ(seen[3].header("Cookie").value_or("").rfind("lang=zh", 0), 0u);
#ifndef _WIN32
  EXPECT_EQ(seen[3].header("Cookie"), "lang=zh");
#endif
}

#ifndef _WIN32
// Natively the object's cookie handling lasts one exchange, and stays out of an exchange that
// brings its own cookies even after an earlier one on the same object used it.
TEST_F(HttpRequestTest, ASharedObjectKeepsNoCookiesBetweenExchanges) {
  const std::string target = url("http", "body=arrived", "/target");
  auto object = CreateRequestObject();
  ASSERT_TRUE(object);
  for (const char* sid : {"1", "2", "3"}) {
    HttpRequestOptions options;
    options.url = url("http", "status=302&header=" + queryValue("Location: " + target) +
                                  "&header=" + queryValue(std::string("Set-Cookie: sid=") + sid));
    options.sharedObject = object;
    if (*sid == '2') options.cookies = "lang=zh";
    EXPECT_EQ(HttpRequest(options), "arrived");
  }
  auto seen = requests();
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[1].header("Cookie"), "sid=1");
  EXPECT_EQ(seen[2].header("Cookie"), "lang=zh");
  EXPECT_EQ(seen[3].header("Cookie"), "lang=zh");
  EXPECT_EQ(seen[3].headerCount("Cookie"), 1);
  EXPECT_FALSE(seen[4].header("Cookie"));
  EXPECT_EQ(seen[5].header("Cookie"), "sid=3");
}
#endif

TEST_F(HttpRequestTest, PlainHttpMayMoveToHttpsButHttpsNeverFallsBackToHttp) {
  HttpRequestOptions up;
  up.url = url(
      "http", "status=301&header=" + queryValue("Location: " + url("https", "body=secure", "/up")));
  EXPECT_EQ(HttpRequest(up), "secure");
  EXPECT_EQ(up.status, 200);

  HttpRequestOptions down;
  down.url =
      url("https", "status=302&header=" + queryValue("Location: " + url("http", "", "/down")));
  HttpRequest(down);
  EXPECT_NE(down.status, 200) << "the redirect itself (under Wine: nothing) comes back";
  EXPECT_EQ(down.error, HttpError::kRedirect);
  for (const auto& request : requests())
    EXPECT_EQ(request.target.find("/down"), std::string::npos) << "followed to plain http";
}

TEST_F(HttpRequestTest, CertificatesAreVerified) {
  HttpRequestOptions trusted;
  trusted.url = url("https", "body=ok");
  EXPECT_EQ(HttpRequest(trusted), "ok");
  EXPECT_EQ(trusted.status, 200);

  for (const char* listener : {"untrusted", "wrong_name"}) {
    HttpRequestOptions refused;
    refused.url = url(listener, "body=secret");
    EXPECT_EQ(HttpRequest(refused), "") << listener;
    EXPECT_EQ(refused.status, 0) << listener;
    EXPECT_EQ(refused.responseHeaders, "") << listener;
    EXPECT_EQ(refused.error, HttpError::kCertificate) << listener;
  }
  EXPECT_TRUE(requests().size() == 1u) << "no request reached a server it should not trust";
}

TEST_F(HttpRequestTest, VerificationCanBeSwitchedOffExplicitly) {
  if (underWine()) GTEST_SKIP() << "Wine's request object cannot ignore certificate errors";
  HttpRequestOptions options;
  options.url = url("untrusted", "body=accepted");
  options.verifyCertificates = false;
  EXPECT_EQ(HttpRequest(options), "accepted");
}

TEST_F(HttpRequestTest, ProxyWithCredentials) {
  if (underWine()) GTEST_SKIP() << "Wine's request object ignores its proxy setting";
  HttpRequestOptions options;
  options.url = "http://proxied.invalid/" + tag + "?body=via-proxy";
  options.proxy = "127.0.0.1:" + std::to_string(server->port("http"));
  options.proxyUser = "user";
  options.proxyPassword = "secret";
  EXPECT_EQ(HttpRequest(options), "via-proxy");
  auto seen = requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].target, options.url) << "a proxy is asked for the whole URL";
  EXPECT_EQ(seen[0].header("Proxy-Authorization"), "Basic dXNlcjpzZWNyZXQ=");
}

TEST_F(HttpRequestTest, ServerCredentialsAnswerAChallenge) {
  if (underWine()) GTEST_SKIP() << "Wine's request object ignores its proxy setting";
  HttpRequestOptions options;
  options.url = "http://proxied.invalid/" + tag + "?require_auth=user:pw&body=welcome";
  options.proxyUser = "user";
  options.proxyPassword = "pw";
  options.credentialTarget = 0;
  HttpRequest(options);
  EXPECT_EQ(options.status, 0) << "credentials are only given together with a proxy";

  options.proxy = "127.0.0.1:" + std::to_string(server->port("http"));
  EXPECT_EQ(HttpRequest(options), "welcome");
  EXPECT_EQ(options.status, 200);
  auto seen = requests();
  ASSERT_FALSE(seen.empty());
  EXPECT_FALSE(seen.back().header("Proxy-Authorization")) << "no proxy header for the server";
  EXPECT_EQ(seen.back().header("Authorization"), "Basic dXNlcjpwdw==");
}

TEST_F(HttpRequestTest, FailuresEndTheCallWithAnEmptyOrPartialResult) {
  HttpRequestOptions refused;
  refused.url = server->url("refused", "/" + tag);
  EXPECT_EQ(HttpRequest(refused), "");
  EXPECT_EQ(refused.status, 0);
  EXPECT_EQ(refused.error, HttpError::kConnect);

  HttpRequestOptions slow;
  slow.url = url("http", "delay_ms=30000");
  slow.timeoutSeconds = 1;
  EXPECT_LT(secondsFor([&] { HttpRequest(slow); }), 15.0);
  EXPECT_EQ(slow.status, 0);
  EXPECT_EQ(slow.error, HttpError::kTimeout);

  HttpRequestOptions cut;
  cut.url = url("http", "body_size=100000&close_after=1000");
  std::string partial = HttpRequest(cut);
  EXPECT_LE(partial.size(), 1000u);
  EXPECT_NE(cut.error, HttpError::kNone);

  HttpRequestOptions reset;
  reset.url = url("http", "reset=1");
  EXPECT_EQ(HttpRequest(reset), "");
  EXPECT_EQ(reset.status, 0);
  EXPECT_NE(reset.error, HttpError::kNone);
}

TEST_F(HttpRequestTest, LargeHeadersAndBodiesArriveWhole) {
  HttpRequestOptions options;
  options.url = url("http", "header_block=20000&body_size=3000000");
  std::string body = HttpRequest(options);
  EXPECT_EQ(body.size(), 3000000u);
  EXPECT_EQ(body.substr(2999990), "0123456789");
  EXPECT_GT(options.responseHeaders.size(), 19000u);
}

TEST_F(HttpRequestTest, ASharedObjectServesSeveralExchanges) {
  auto object = CreateRequestObject();
  ASSERT_TRUE(object);
  for (const char* body : {"one", "two"}) {
    HttpRequestOptions options;
    options.url = url("http", std::string("body=") + body);
    options.sharedObject = object;
    EXPECT_EQ(HttpRequest(options), body);
  }
  EXPECT_EQ(object.use_count(), 1) << "the caller's object is not kept by the call";
}

class NetworkDateTest : public ExchangeTest {};

TEST_F(NetworkDateTest, TheServersDateInUtcPlus8) {
  for (const char* date : {"Thu, 29 Feb 2024 20:49:37 GMT", "Thursday, 29-Feb-24 20:49:37 GMT",
                           "Thu Feb 29 20:49:37 2024"}) {
    NetworkDateRequest request;
    request.url = url("http", "date=" + queryValue(date));
    NetworkDate result = FetchNetworkDate(request);
    ASSERT_TRUE(result.answered()) << date;
    EXPECT_NEAR(result.date, VariantDateOf(2024, 3, 1, 4, 49, 37), 1e-9) << date;
  }
  auto seen = requests();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[0].method, "HEAD");
  EXPECT_EQ(seen[0].header("Accept-Language"), "zh-cn");
}

TEST_F(NetworkDateTest, SaysWhyThereIsNoDate) {
  NetworkDateRequest request;
  request.url = server->url("refused", "/");
  EXPECT_EQ(FetchNetworkDate(request).error, NetworkDateError::kNoAnswer);
  request.url = url("https", "no_date=1");
  EXPECT_EQ(FetchNetworkDate(request).error, NetworkDateError::kNoDateHeader);
  request.url = url("http", "date=tomorrow");
  EXPECT_EQ(FetchNetworkDate(request).error, NetworkDateError::kUnreadableDate);
  request.url = url("http", "delay_ms=30000");
  request.timeoutSeconds = 1;
  EXPECT_EQ(FetchNetworkDate(request).error, NetworkDateError::kNoAnswer);
}

// A server that takes the connection and never answers costs the whole request's bound, not
// the sum of its phases' time-outs.
TEST_F(NetworkDateTest, ASilentServerCostsNoMoreThanTheWholeRequestsBound) {
  EXPECT_EQ(kNetworkDateTotalMs, 15000);
  NetworkDateRequest request;
  request.url = url("http", "delay_ms=30000");
  request.totalMs = 2000;  // the phases alone would allow 4 x 5 s
  NetworkDate result;
  const double seconds = secondsFor([&] { result = FetchNetworkDate(request); });
  EXPECT_EQ(result.error, NetworkDateError::kNoAnswer);
  EXPECT_GE(seconds, 1.5);
  EXPECT_LT(seconds, 4.5);
}

TEST_F(NetworkDateTest, TheTestSettingNamesTheServer) {
  const std::string address = url("http", "date=" + queryValue("Mon, 01 Jan 2029 00:00:00 GMT"));
#ifdef _WIN32
  _putenv_s(kDateUrlEnv, address.c_str());
#else
  setenv(kDateUrlEnv, address.c_str(), 1);
#endif
  NetworkDate result = FetchNetworkDate();
#ifdef _WIN32
  _putenv_s(kDateUrlEnv, "");
#else
  unsetenv(kDateUrlEnv);
#endif
  ASSERT_TRUE(result.answered());
  EXPECT_NEAR(result.date, VariantDateOf(2029, 1, 1, 8, 0, 0), 1e-9);
}

TEST_F(NetworkDateTest, WorkerThreadsMayAskAtOnce) {
  NetworkDateRequest request;
  request.url = url("http");
  std::vector<NetworkDate> results(4);
  std::vector<std::thread> workers;
  for (auto& result : results)
    workers.emplace_back([&result, &request] { result = FetchNetworkDate(request); });
  for (auto& worker : workers) worker.join();
  for (const auto& result : results) EXPECT_TRUE(result.answered());
}

}  // namespace
}  // namespace net
