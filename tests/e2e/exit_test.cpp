// How soon the program is gone once the user ends it, measured from outside: from the click
// (or the closing of the last form) to the end of the process, next to a plain Win32 window
// ended the same way. The times go to the test's output; the bound asserted is generous.
// clang-format off
#include <winsock2.h>  // before windows.h, which would bring the old sockets
#include <windows.h>
// clang-format on
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "capture/ocr_settings.h"
#include "capture_driver.h"
#include "main_forms.h"

namespace {

using e2e::button;
using e2e::Program;
using e2e::waitForMainForm;
using e2e::waitUntil;

constexpr double kBoundSeconds = 3.0;
constexpr int kRuns = 3;

double secondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// Runs `end` (which makes the program end) and returns the seconds until the process is gone,
// or a negative number when it did not end within the wait.
template <class End>
double timeToExit(Program& program, End end) {
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  end();
  if (program.waitForExit(30000) < 0) return -1;
  return secondsSince(start);
}

double median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void report(const char* what, const std::vector<double>& times) {
  std::printf("exit time, %s: median %.3f s over", what, median(times));
  for (double t : times) std::printf(" %.3f", t);
  std::printf("\n");
}

// A loopback port that takes connections and never answers: a server that hangs.
class SilentServer {
 public:
  SilentServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(socket_, 16);
    int length = sizeof(address);
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() {
    closesocket(socket_);
    WSACleanup();
  }
  std::string url() const {
    std::string text = "http://127.0.0.1:";
    text += std::to_string(port_);
    return text;
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  int port_ = 0;
};

// An OCR service on loopback that grants every token at once and never answers a recognition.
class StallingOcrService {
 public:
  StallingOcrService() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(listener_, 16);
    int length = sizeof(address);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~StallingOcrService() {
    closesocket(listener_);  // ends accept()
    thread_.join();
    for (SOCKET held : held_) closesocket(held);
    WSACleanup();
  }
  std::string url() const {
    std::string text = "http://127.0.0.1:";
    text += std::to_string(port_);
    return text;
  }
  int recognitionsHeld() const { return recognitions_; }

 private:
  void serve() {
    for (;;) {
      SOCKET connection = accept(listener_, nullptr, nullptr);
      if (connection == INVALID_SOCKET) return;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        int got = recv(connection, buffer, sizeof(buffer), 0);
        if (got <= 0) break;
        request.append(buffer, std::size_t(got));
      }
      if (request.find("/oauth/2.0/token") == std::string::npos) {
        ++recognitions_;
        held_.push_back(connection);  // never answered
        continue;
      }
      const std::string body = R"({"access_token":"24.stall.2592000","expires_in":2592000})";
      std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: ";
      reply += std::to_string(body.size());
      reply += "\r\nConnection: close\r\n\r\n";
      reply += body;
      send(connection, reply.data(), int(reply.size()), 0);
      closesocket(connection);
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::vector<SOCKET> held_;
  std::atomic<int> recognitions_{0};
};

// Agrees to the disclaimer with a bank in place and opens it: the answer form.
HWND answerForm(const Program& program) {
  HWND disclaimer = waitForMainForm(program, {540, 207});
  if (!disclaimer) return nullptr;
  auto folder = program.folder() / L"题库";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(e2e::fromBuildPath(QUORVIX_E2E_BANKS) / L"常识题库.edb",
                             folder / L"常识题库.edb");
  e2e::click(button(disclaimer, L"同    意"));
  HWND chooser = waitForMainForm(program, {590, 240});
  if (!chooser) return nullptr;
  HWND combo = e2e::childrenOfClass(chooser, L"ComboBox").at(0);
  if (!waitUntil([&] { return e2e::selectComboItem(combo, L"常识题库.edb"); })) return nullptr;
  e2e::click(button(chooser, L"开 始 考 试"));
  return waitForMainForm(program, {348, 650});
}

TEST(Exit, RefusingTheDisclaimerEndsTheProgramAsSoonAsAPlainWindowEnds) {
  std::vector<double> program, reference;
  for (int run = 0; run < kRuns; ++run) {
    Program quorvix(e2e::runFolder() / "program" / std::to_string(run));
    HWND disclaimer = waitForMainForm(quorvix, {540, 207});
    ASSERT_NE(disclaimer, nullptr);
    const double took = timeToExit(quorvix, [&] { e2e::click(button(disclaimer, L"拒   绝")); });
    ASSERT_GE(took, 0) << "the program did not end";
    program.push_back(took);

    Program plain(e2e::runFolder() / "reference" / std::to_string(run),
                  e2e::fromBuildPath(QUORVIX_EXIT_REFERENCE));
    HWND window = nullptr;
    ASSERT_TRUE(waitUntil([&] {
      auto found = e2e::topLevelWindows(plain.id(), L"Exit reference");
      window = found.empty() ? nullptr : found[0];
      return window != nullptr;
    }));
    const double plainTook = timeToExit(plain, [&] { e2e::click(button(window, L"Quit")); });
    ASSERT_GE(plainTook, 0);
    reference.push_back(plainTook);
  }
  report("refusing the disclaimer", program);
  report("plain Win32 window", reference);
  EXPECT_LT(median(program), kBoundSeconds);
}

TEST(Exit, AKeyTestWaitingOnAServerThatNeverAnswersDoesNotHoldTheExit) {
  SilentServer server;
  SetEnvironmentVariableA("QUORVIX_OCR_URL", server.url().c_str());
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    Program program(e2e::runFolder() / std::to_string(run));
    HWND answer = answerForm(program);
    ASSERT_NE(answer, nullptr) << "no answer form";
    e2e::click(button(answer, L"设置"));
    HWND settings = nullptr;
    ASSERT_TRUE(waitUntil([&] {
      auto found = e2e::topLevelWindows(program.id(), L"百度在线文字识别OCR");
      settings = found.empty() ? nullptr : found[0];
      return settings != nullptr;
    }));
    auto boxes = e2e::editsTopToBottom(settings);
    ASSERT_EQ(boxes.size(), 3u);
    e2e::setText(boxes[0], L"api");
    e2e::setText(boxes[1], L"secret");
    HWND test = button(settings, L"秘 钥 测 试");
    e2e::click(test);
    // The test is under way once its button is disabled.
    ASSERT_TRUE(waitUntil([&] { return !IsWindowEnabled(test); }, 10000));
    PostMessageW(settings, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(settings); }, 10000));
    const double took = timeToExit(program, [&] { PostMessageW(answer, WM_CLOSE, 0, 0); });
    ASSERT_GE(took, 0) << "the program did not end";
    times.push_back(took);
  }
  SetEnvironmentVariableA("QUORVIX_OCR_URL", nullptr);
  report("closing the last form during a key test", times);
  EXPECT_LT(median(times), kBoundSeconds);
}

TEST(Exit, ARecognitionWaitingOnAServerThatNeverAnswersDoesNotHoldTheExit) {
  StallingOcrService service;
  SetEnvironmentVariableA("QUORVIX_OCR_URL", service.url().c_str());
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    Program program(e2e::runFolder() / std::to_string(run));
    ASSERT_TRUE(capture::StoreOcrKeys(program.folder(), {"api", "secret"}));
    HWND answer = answerForm(program);
    ASSERT_NE(answer, nullptr) << "no answer form";
    e2e::click(button(answer, L"截屏取词"));
    e2e::click(button(answer, L"开 始"));
    ASSERT_TRUE(waitUntil([&] { return button(answer, L"截图(F4)") != nullptr; }, 10000));
    const int before = service.recognitionsHeld();
    ASSERT_TRUE(e2e::moveMouse(260, 160));
    ASSERT_TRUE(e2e::pressKeys("F4"));
    ASSERT_NE(e2e::waitForOverlayInput(program), nullptr);
    ASSERT_TRUE(e2e::dragMouse(300, 200, 620, 290));
    ASSERT_TRUE(waitUntil([&] { return service.recognitionsHeld() > before; }, 15000))
        << "no recognition was asked for";
    ASSERT_TRUE(waitUntil([&] { return e2e::overlay(program) == nullptr; }, 10000));
    const double took = timeToExit(program, [&] { PostMessageW(answer, WM_CLOSE, 0, 0); });
    ASSERT_GE(took, 0) << "the program did not end";
    times.push_back(took);
  }
  SetEnvironmentVariableA("QUORVIX_OCR_URL", nullptr);
  report("closing the last form during a recognition", times);
  EXPECT_LT(median(times), kBoundSeconds);
}

}  // namespace
