// quorvix-cli: the command-line front end over the same core as the program's forms.
#include <fcntl.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/controllers/import_texts.h"
#include "cli/bank_cli_support.h"
#include "cli/commands.h"
#include "import/xl_binding.h"
#include "platform/cp936.h"
#include "platform/run_directory.h"
#include "platform/utf8.h"

namespace {

std::vector<cli::Command> commandTable() {
  std::vector<cli::Command> table;
  cli::addBankCommands(table);
  cli::addCellsCommand(table);
  cli::addSearchCommand(table);
  cli::addImportCommand(table);
  cli::addExportCommand(table);
  cli::addHttpCommand(table);
  cli::addOcrCommands(table);
  return table;
}

void printHelp(const std::vector<cli::Command>& table) {
  std::printf("usage: quorvix-cli [--dir RUNDIR] COMMAND [ARGS...]\n\n");
  std::printf("RUNDIR defaults to the program's run directory (or $%s).\n\ncommands:\n",
              platform::kRunDirEnv);
  for (const auto& command : table) std::printf("  %-40s %s\n", command.usage, command.summary);
}

// A standard stream closed by the caller would let the next file opened take its number, and
// whatever is printed would then land in that file (a bank). Each closed one gets a stand-in
// that refuses writes, so a lost report is still seen as lost.
void keepStandardStreamsTaken() {
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) ::open("/dev/null", O_RDONLY);
}

// The binding's fatal stop on the command line: the program's message, then exit code 1.
[[noreturn]] void stopForMissingFunction(const char* libraryFile, const char* function) {
  std::fprintf(
      stderr, "%s\n",
      cp936::toUtf8(app::import_texts::missingFunctionText(libraryFile, function)).c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  keepStandardStreamsTaken();
  // A reader that went away is a failed write, reported as such, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  xlbind::setMissingFunctionHandler(stopForMissingFunction);
  auto table = commandTable();
  cli::Context context;
  context.runDir = platform::runDirectory();
  int i = 1;
  for (; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      printHelp(table);
      return 0;
    }
    if (!std::strcmp(argv[i], "--dir") && i + 1 < argc) {
      ++i;
      context.runDir = std::filesystem::path(
          std::u8string(reinterpret_cast<const char8_t*>(argv[i]), std::strlen(argv[i])));
      continue;
    }
    break;
  }
  if (i >= argc) {
    printHelp(table);
    return 2;
  }
  std::string name = argv[i++];
  for (; i < argc; ++i) {
    // Texts become program text and names become paths: both need well-formed UTF-8.
    if (!utf8::isValid(argv[i])) {
      std::fprintf(stderr, "quorvix-cli: argument %d is not UTF-8 text\n", i);
      return 2;
    }
    context.args.emplace_back(argv[i]);
  }
  for (const auto& command : table) {
    if (name != command.name) continue;
    int status = command.run(context);
    // What reached standard output is what a script reads: a failed write is a failure,
    // unless the bank was changed already; then saying "failed" would invite a repeat.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      if (status == 0 && cli::changeWasMade()) {
        std::fprintf(stderr,
                     "quorvix-cli: the change was made, but its report could not be written\n");
        return cli::kChangeMadeButUnreported;
      }
      std::fprintf(stderr, "quorvix-cli %s: cannot write the output\n", name.c_str());
      return status == 0 ? 1 : status;
    }
    return status;
  }
  std::fprintf(stderr, "quorvix-cli: unknown command '%s' (see --help)\n", name.c_str());
  return 2;
}
