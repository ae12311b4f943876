// Quorvix.exe started alone in a fresh folder of its own, as a user starts a copy of it.
#pragma once
#include <windows.h>

#include <filesystem>
#include <vector>

namespace e2e {

class Program {
 public:
  // Copies the program (the built one unless `from` names another) into `folder` (emptied
  // first), with each of `besideIt` (folders, e.g. the recognition models) under its own name,
  // and starts it there.
  explicit Program(const std::filesystem::path& folder, const std::filesystem::path& from = {},
                   const std::vector<std::filesystem::path>& besideIt = {});
  // Starts the Quorvix.exe that `folder` already holds, as a user starts an unpacked copy.
  struct InPlace {};
  Program(InPlace, const std::filesystem::path& folder);
  // A program still running at the end of a test is ended.
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD id() const { return process_.dwProcessId; }
  const std::filesystem::path& folder() const { return folder_; }
  bool started() const { return process_.hProcess != nullptr; }
  // The exit code once the program has ended within the time-out, else -1.
  long waitForExit(DWORD timeoutMs);

 private:
  void start(const std::filesystem::path& exe);

  std::filesystem::path folder_;
  PROCESS_INFORMATION process_{};
};

// Absolute Linux paths baked in at build time, as seen from inside Wine (drive Z:).
std::filesystem::path fromBuildPath(const char* path);

}  // namespace e2e
