// What each route asks of the HTTP service for given options, checked without a network.
#include <gtest/gtest.h>

#include "net/http_request.h"
#include "net/inet_request.h"

namespace net {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

Fields fieldsOf(const platform::ObjectExchange& exchange) {
  Fields out;
  for (const auto& field : exchange.headers) out.emplace_back(field.name, field.value);
  return out;
}

TEST(ObjectExchange, MethodTableAndTimeouts) {
  HttpRequestOptions options;
  options.url = "http://h/";
  for (auto [method, name] : std::vector<std::pair<int, std::string>>{
           {9, "GET"}, {-1, "GET"}, {1, "POST"}, {2, "HEAD"}, {7, "CONNECT"}}) {
    options.method = method;
    EXPECT_EQ(PrepareObjectExchange(options).method, name) << method;
  }
  for (auto [seconds, ms] : std::vector<std::pair<int, std::optional<int>>>{
           {0, 15000}, {-5, 15000}, {20, 20000}, {-1, std::nullopt}}) {
    options.timeoutSeconds = seconds;
    EXPECT_EQ(PrepareObjectExchange(options).timeoutMs, ms) << seconds;
  }
}

TEST(ObjectExchange, DefaultHeadersOfAGetAndAPost) {
  HttpRequestOptions options;
  options.url = "http://h/p?q";
  EXPECT_EQ(fieldsOf(PrepareObjectExchange(options)),
            (Fields{{"Accept", "*/*"},
                    {"Referer", "http://h/p?q"},
                    {"Accept-Language", "zh-cn"},
                    {"User-Agent", "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"}}));
  options.method = 1;
  EXPECT_EQ(
      fieldsOf(PrepareObjectExchange(options)).back(),
      (std::pair<std::string, std::string>{"Content-Type", "application/x-www-form-urlencoded"}));
}

TEST(ObjectExchange, CallerHeadersAreNormalisedAndKeepAliveIsDropped) {
  HttpRequestOptions options;
  options.url = "u";
  options.completeHeaders = false;
  options.headers = "accept: text/html\r\nConnection: keep-alive\r\nconnection: close\r\n";
  EXPECT_EQ(fieldsOf(PrepareObjectExchange(options)),
            (Fields{{"Accept", "text/html"}, {"Connection", "close"}}));
  // Without normalisation the lowercase name is sent as it is, and the keep-alive test is
  // case-sensitive on both sides.
  options.normaliseHeaderNames = false;
  options.headers = "connection: keep-alive\r\nConnection: Keep-Alive\r\nConnection: keep-alive";
  EXPECT_EQ(fieldsOf(PrepareObjectExchange(options)),
            (Fields{{"connection", "keep-alive"}, {"Connection", "Keep-Alive"}}));
  // A single line is sent whatever it says.
  options.headers = "Connection: keep-alive";
  EXPECT_EQ(fieldsOf(PrepareObjectExchange(options)), (Fields{{"Connection", "keep-alive"}}));
  options.headers = "";
  EXPECT_EQ(fieldsOf(PrepareObjectExchange(options)), Fields{});
}

TEST(ObjectExchange, ProxyCredentialsAndCookies) {
  HttpRequestOptions options;
  options.url = "u";
  options.completeHeaders = false;
  options.proxyUser = "user";
  options.proxyPassword = "pw";
  EXPECT_FALSE(PrepareObjectExchange(options).credentials) << "no proxy, no credentials";

  options.proxy = "127.0.0.1:3128";
  options.cookies = "Cookie: a=1; COOKIE:b=2";
  auto exchange = PrepareObjectExchange(options);
  ASSERT_TRUE(exchange.credentials);
  EXPECT_TRUE(exchange.credentials->forProxy);
  EXPECT_EQ(fieldsOf(exchange),
            (Fields{{"Proxy-Authorization", "Basic dXNlcjpwdw=="}, {"Cookie", " a=1; b=2"}}));

  options.credentialTarget = 0;
  options.cookies = "";
  exchange = PrepareObjectExchange(options);
  ASSERT_TRUE(exchange.credentials);
  EXPECT_FALSE(exchange.credentials->forProxy);
  EXPECT_EQ(fieldsOf(exchange), (Fields{{"Cookie", ""}})) << "an empty cookie text is still set";

  options.credentialTarget = 2;
  EXPECT_FALSE(PrepareObjectExchange(options).credentials);
}

TEST(ObjectExchange, BodyBytesWinOverBody) {
  HttpRequestOptions options;
  options.url = "u";
  options.body = "text";
  EXPECT_EQ(PrepareObjectExchange(options).body, "text");
  options.bodyBytes = std::string("\0\x01", 2);
  EXPECT_EQ(PrepareObjectExchange(options).body, std::string("\0\x01", 2));
}

TEST(InternetExchange, AddressAgentAndProxy) {
  InetRequestOptions options;
  options.url = "http://Example.com:8080/x?y";
  auto exchange = PrepareInternetExchange(options);
  ASSERT_TRUE(exchange);
  EXPECT_EQ(exchange->host, "example.com");
  EXPECT_EQ(exchange->port, 8080);
  EXPECT_EQ(exchange->path, "/x?y");
  EXPECT_FALSE(exchange->secure);
  EXPECT_EQ(exchange->agent, "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
  EXPECT_EQ(exchange->proxy, "");

  options.proxy = "p:1";
  EXPECT_EQ(PrepareInternetExchange(options)->proxy, "http=p:1");
  options.socksProxy = true;
  EXPECT_EQ(PrepareInternetExchange(options)->proxy, "SOCKS=p:1");
  options.socksProxy = false;
  options.url = "HTTPS://example.com";
  EXPECT_EQ(PrepareInternetExchange(options)->proxy, "p:1");
  EXPECT_TRUE(PrepareInternetExchange(options)->secure);
  EXPECT_EQ(PrepareInternetExchange(options)->port, 443);

  options.url = "http://example.com:70000/";
  EXPECT_FALSE(PrepareInternetExchange(options)) << "no connection to port 70000 - 65536";
}

TEST(InternetExchange, UserAgentComesFromTheHeaderText) {
  EXPECT_EQ(UserAgentOf("Accept: x\r\nUser-Agent:  Mine/1.0 \r\nX: y"), "Mine/1.0");
  EXPECT_EQ(UserAgentOf("user-agent: lower/2"), "lower/2");
  EXPECT_EQ(UserAgentOf("User-Agent:"), "");
  EXPECT_EQ(UserAgentOf("Accept: a\r\nUser-Agent: "), "a") << "never a text running over lines";
}

TEST(InternetExchange, HeaderTextCookiesAndBody) {
  InetRequestOptions options;
  options.url = "http://h/p";
  auto exchange = PrepareInternetExchange(options);
  EXPECT_EQ(exchange->headerText, "Accept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn");
  EXPECT_FALSE(exchange->body) << "a GET sends no data";
  EXPECT_FALSE(exchange->noCookies);

  options.method = 1;
  options.body = "a=1";
  options.headers = "x-one: 1";
  options.cookies = "s=1";
  exchange = PrepareInternetExchange(options);
  EXPECT_EQ(exchange->headerText,
            "X-One: 1\r\nAccept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn"
            "\r\nContent-Type: application/x-www-form-urlencoded\r\nCookie: s=1");
  EXPECT_EQ(exchange->body, "a=1");
  EXPECT_TRUE(exchange->noCookies);

  options.completeHeaders = false;
  options.headers = "";
  options.cookies = "Cookie: s=2";
  EXPECT_EQ(PrepareInternetExchange(options)->headerText, "\r\nCookie: s=2");
  options.cookies = "";
  exchange = PrepareInternetExchange(options);
  EXPECT_EQ(exchange->headerText, "");
  EXPECT_TRUE(exchange->noCookies) << "an empty cookie text still keeps the system's cookies out";
}

TEST(InternetExchange, HeaderBufferHoldsAtMost4999Bytes) {
  EXPECT_EQ(HeaderBufferText(std::string(4999, 'h')), std::string(4999, 'h'));
  EXPECT_EQ(HeaderBufferText(std::string(5000, 'h')), std::string(5000, ' '));
  EXPECT_EQ(HeaderBufferText(std::nullopt), std::string(5000, ' '));
}

}  // namespace
}  // namespace net
