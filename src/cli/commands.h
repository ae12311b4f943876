// The subcommands of quorvix-cli. Texts on the command line and in the output are UTF-8.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace cli {

struct Context {
  std::filesystem::path runDir;   // --dir, or the program's run directory
  std::vector<std::string> args;  // the words after the subcommand's name
};

struct Command {
  const char* name;
  const char* usage;    // shown by --help
  const char* summary;  // one line
  int (*run)(const Context&);
};

// Each file of commands appends its own to the table.
void addBankCommands(std::vector<Command>& table);
void addCellsCommand(std::vector<Command>& table);
void addSearchCommand(std::vector<Command>& table);
void addImportCommand(std::vector<Command>& table);
void addExportCommand(std::vector<Command>& table);
void addHttpCommand(std::vector<Command>& table);
void addOcrCommands(std::vector<Command>& table);

}  // namespace cli
