// The answer form's date under Wine: the form shows at once however slow the server, then the
// server's date (+8 hours); with no server, or one that never answers, the local date, said
// to be local, within the request's 15 s.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "answer_forms.h"
#include "test_server.h"

namespace {

using namespace e2e;

// The program asks this address for the date instead of its built-in one.
void askDateOf(const std::string& url) {
  SetEnvironmentVariableW(L"QUORVIX_DATE_URL", std::wstring(url.begin(), url.end()).c_str());
}

TEST(NetworkDate, TheFormShowsAtOnceThenTheServersDate) {
  const auto* server = testsupport::TestServer::current();
  ASSERT_NE(server, nullptr) << "run under the test server";
  askDateOf(server->url(
      "http", "/?delay_ms=4000&date=" + testsupport::queryValue("Mon, 07 Dec 2026 00:15:00 GMT")));
  Program program(runFolder());
  const auto asked = std::chrono::steady_clock::now();
  HWND window = answerFormOverTheFullBank(program);
  ASSERT_NE(window, nullptr);
  AnswerFormParts form(window);
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(4))
      << "the form waited for the server";
  EXPECT_EQ(form.statusText(), L"") << "the date is not there yet";
  EXPECT_TRUE(waitUntil([&] { return form.statusText() == L"2026年12月7日8时15分"; }, 20000))
      << "status: " << form.statusText().size();
  askDateOf("");
}

TEST(NetworkDate, WithNoServerTheLocalDateIsShownAndMarked) {
  const auto* server = testsupport::TestServer::current();
  ASSERT_NE(server, nullptr);
  askDateOf(server->url("refused", "/"));
  Program program(runFolder());
  HWND window = answerFormOverTheFullBank(program);
  ASSERT_NE(window, nullptr);
  AnswerFormParts form(window);
  EXPECT_TRUE(waitUntil(
      [&] {
        const std::wstring status = form.statusText();
        return status.size() > 6 && status.substr(status.size() - 6) == L"（本机时间）";
      },
      20000));
  keepScreenshot(window, "answer-form-local-date");
  askDateOf("");
}

// A server that takes the connection and never answers: the local date comes within the
// request's time-out of 15 s, not the sum of its phases' time-outs.
TEST(NetworkDate, ASilentServerGivesWayToTheLocalDateWithinFifteenSeconds) {
  const auto* server = testsupport::TestServer::current();
  ASSERT_NE(server, nullptr);
  askDateOf(server->url("http", "/?delay_ms=30000"));
  Program program(runFolder());
  const auto asked = std::chrono::steady_clock::now();
  HWND window = answerFormOverTheFullBank(program);
  ASSERT_NE(window, nullptr);
  AnswerFormParts form(window);
  ASSERT_TRUE(waitUntil(
      [&] {
        const std::wstring status = form.statusText();
        return status.size() > 6 && status.substr(status.size() - 6) == L"（本机时间）";
      },
      30000));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
  std::printf("local date after a silent server: %.1f s\n", seconds);
  EXPECT_LT(seconds, 17.0);
  askDateOf("");
}

}  // namespace
