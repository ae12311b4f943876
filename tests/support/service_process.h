// Starts quorvix-ocr-service on a free port for a test or benchmark, and stops it again.
#pragma once
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace ocrtest {

class ServiceProcess {
 public:
  // Runs SERVICE --port 0 [extra...] and reads its first line, "listening on URL".
  explicit ServiceProcess(const std::string& service, std::vector<std::string> extra = {}) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> words = {service, "--port", "0"};
    words.insert(words.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, service.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string line;
    char c;
    while (pid_ && read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    const std::string prefix = "listening on ";
    if (line.rfind(prefix, 0) == 0) url_ = line.substr(prefix.size());
  }
  ~ServiceProcess() {
    if (!pid_) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  // "http://127.0.0.1:PORT", empty when the service did not start.
  const std::string& url() const { return url_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = 0;
  std::string url_;
};

}  // namespace ocrtest
