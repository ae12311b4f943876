#include "x_keyboard.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "program.h"
#include "window_driver.h"

namespace e2e {

namespace {

// Wine starts a Linux program without a handle to wait on, so the shell that runs xdotool
// leaves a file behind when it is done; what xdotool printed goes to `printed` when asked for.
bool runXdotoolInto(const std::string& arguments, std::string* printed) {
  static int runs = 0;
  const std::string marker = std::string(QUORVIX_E2E_RUNS) + "/xdotool-" +
                             std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++runs);
  const std::filesystem::path done = fromBuildPath(marker.c_str());
  const std::filesystem::path output = fromBuildPath((marker + ".out").c_str());
  std::string command = "/bin/sh -c \"/usr/bin/xdotool " + arguments + " >'" + marker +
                        ".out'; touch '" + marker + "'\"";
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
  if (finished && printed) {
    std::ifstream in(output, std::ios::binary);
    printed->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::error_code ignored;
  std::filesystem::remove(done, ignored);
  std::filesystem::remove(output, ignored);
  return finished;
}

// The X window number on the first line xdotool printed that starts with `prefix`; 0 if none.
unsigned long printedWindow(const std::string& printed, const std::string& prefix) {
  std::istringstream lines(printed);
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, prefix.size(), prefix) == 0)
      return std::strtoul(line.c_str() + prefix.size(), nullptr, 10);
  }
  return 0;
}

}  // namespace

bool runXdotool(const std::string& arguments) { return runXdotoolInto(arguments, nullptr); }

bool keysReach(HWND window) {
  // Wine keeps the X window that stands for a top-level window in this property.
  const auto xWindow = reinterpret_cast<unsigned long>(GetPropA(window, "__wine_x11_whole_window"));
  if (!xWindow) return false;
  std::string focus, pointer;
  if (!runXdotoolInto("getwindowfocus -f", &focus)) return false;
  const unsigned long focused = printedWindow(focus, "");
  if (focused == xWindow) return true;
  const unsigned long kPointerRoot = 1;
  if (focused != kPointerRoot) return false;
  if (!runXdotoolInto("getmouselocation --shell", &pointer)) return false;
  return printedWindow(pointer, "WINDOW=") == xWindow;
}

bool pressKeys(const std::string& keys) { return runXdotool("key --delay 80 " + keys); }

bool typeText(const std::string& text) { return runXdotool("type --delay 80 '" + text + "'"); }

bool focusProgramWindow() {
  return runXdotool("search --sync --onlyvisible --name Quorvix windowfocus --sync");
}

}  // namespace e2e
