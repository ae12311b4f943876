// Shared helpers of the bank tests: a fresh folder per test, the independent oracle, and the
// bank schema.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bank/record_format.h"
#include "platform/files.h"

namespace banktest {

class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("quorvix-bank-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline const std::string kQuestion = "\xCC\xE2\xC4\xBF";  // 题目
inline const std::string kAnswer = "\xB4\xF0\xB0\xB8";    // 答案

inline std::vector<bank::FieldDef> bankSchema() {
  return {{kQuestion, bank::kText, 1000}, {kAnswer, bank::kText, 1000}};
}

// "q7" and the like; built by appending, which also keeps GCC 12's -Wrestrict quiet.
inline std::string numbered(const char* prefix, int n) {
  std::string out(prefix);
  out += std::to_string(n);
  return out;
}

inline std::string fileBytes(const std::filesystem::path& path) {
  return platform::readFile(path).value_or(std::string());
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);  // wide path on Windows
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct CommandRun {
  int status = -1;
  std::string out;
};

// Runs a shell command and collects its standard output.
inline CommandRun runCommand(const std::string& command) {
  CommandRun run;
#ifdef _WIN32
  (void)command;
#else
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) run.out.append(buf, n);
  run.status = pclose(pipe);
#endif
  return run;
}

inline std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The independent reader/writer of bank files; not reachable from inside Wine.
inline bool oracleAvailable() {
#ifdef _WIN32
  return false;
#else
  return runCommand("python3 " + quoted(std::string(QUORVIX_TOOLS) + "/edb_oracle.py") +
                    " >/dev/null 2>&1; echo $?")
             .out.rfind("2", 0) == 0;
#endif
}

inline CommandRun oracle(const std::string& args) {
  return runCommand("python3 " + quoted(std::string(QUORVIX_TOOLS) + "/edb_oracle.py") + " " +
                    args + " 2>&1");
}

}  // namespace banktest
