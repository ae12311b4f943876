#include "program.h"

#include <string>

namespace e2e {

std::filesystem::path fromBuildPath(const char* path) {
  std::string text = path;
  if (!text.empty() && text[0] == '/') text = "Z:" + text;  // Wine's drive for the Linux root
  return std::filesystem::path(text).make_preferred();
}

Program::Program(const std::filesystem::path& folder, const std::filesystem::path& from,
                 const std::vector<std::filesystem::path>& besideIt)
    : folder_(folder) {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
  std::filesystem::create_directories(folder_);
  std::filesystem::path exe = folder_ / L"Quorvix.exe";
  std::filesystem::copy_file(from.empty() ? fromBuildPath(QUORVIX_EXE) : from, exe);
  for (const auto& extra : besideIt)
    std::filesystem::copy(extra, folder_ / extra.filename(),
                          std::filesystem::copy_options::recursive);
  start(exe);
}

Program::Program(InPlace, const std::filesystem::path& folder) : folder_(folder) {
  start(folder_ / L"Quorvix.exe");
}

void Program::start(const std::filesystem::path& exe) {
  // The program must find its run directory by itself, beside its file.
  SetEnvironmentVariableW(L"QUORVIX_RUN_DIR", nullptr);
  std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &startup, &process_)) {
    process_ = {};
  }
}

Program::~Program() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 10000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

long Program::waitForExit(DWORD timeoutMs) {
  if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return long(code);
}

}  // namespace e2e
