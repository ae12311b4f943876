#include "x_keyboard.h"

#include <windows.h>

#include <filesystem>

#include "program.h"
#include "window_driver.h"

namespace e2e {

// Wine starts a Linux program without a handle to wait on, so the shell that runs xdotool
// leaves a file behind when it is done.
bool runXdotool(const std::string& arguments) {
  static int runs = 0;
  const std::string marker = std::string(QUORVIX_E2E_RUNS) + "/xdotool-" +
                             std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++runs);
  const std::filesystem::path done = fromBuildPath(marker.c_str());
  std::string command = "/bin/sh -c \"/usr/bin/xdotool " + arguments + "; touch '" + marker + "'\"";
  std::wstring line(command.begin(), command.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  bool finished = waitUntil([&] { return std::filesystem::exists(done); }, 30000);
  std::error_code ignored;
  std::filesystem::remove(done, ignored);
  return finished;
}

bool pressKeys(const std::string& keys) { return runXdotool("key --delay 80 " + keys); }

bool typeText(const std::string& text) { return runXdotool("type --delay 80 '" + text + "'"); }

bool focusProgramWindow() {
  return runXdotool("search --sync --onlyvisible --name Quorvix windowfocus --sync");
}

}  // namespace e2e
