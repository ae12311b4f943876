// quorvix-cli: the command-line front end over the same core as the program's forms.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/run_directory.h"

namespace {

std::vector<cli::Command> commandTable() {
  std::vector<cli::Command> table;
  cli::addBankCommands(table);
  cli::addCellsCommand(table);
  cli::addSearchCommand(table);
  cli::addImportCommand(table);
  cli::addHttpCommand(table);
  return table;
}

void printHelp(const std::vector<cli::Command>& table) {
  std::printf("usage: quorvix-cli [--dir RUNDIR] COMMAND [ARGS...]\n\n");
  std::printf("RUNDIR defaults to the program's run directory (or $%s).\n\ncommands:\n",
              platform::kRunDirEnv);
  for (const auto& command : table)
    std::printf("  %-40s %s\n", command.usage, command.summary);
}

}  // namespace

int main(int argc, char** argv) {
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
      context.runDir = argv[++i];
      continue;
    }
    break;
  }
  if (i >= argc) {
    printHelp(table);
    return 2;
  }
  std::string name = argv[i++];
  for (; i < argc; ++i) context.args.emplace_back(argv[i]);
  for (const auto& command : table)
    if (name == command.name) return command.run(context);
  std::fprintf(stderr, "quorvix-cli: unknown command '%s' (see --help)\n", name.c_str());
  return 2;
}
