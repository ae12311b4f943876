// The words and options after a command's name, parsed one way for every command.
#pragma once
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cli {

struct Arguments {
  std::vector<std::string> words;
  std::set<std::string> flags;                // "--json"
  std::map<std::string, std::string> values;  // "--sheet" "2"

  bool has(const std::string& flag) const { return flags.count(flag) != 0; }
  std::optional<std::string> value(const std::string& option) const;
};

// Sorts the arguments into words, the flags the command knows (no value) and its valued options
// (one value each). False, with the reason in `error`, on an unknown option or a missing value.
bool parseArguments(const std::vector<std::string>& args, std::initializer_list<const char*> flags,
                    std::initializer_list<const char*> valued, Arguments& out, std::string& error);

struct Context;

// parseArguments for a command: on a mistake (or a number of words other than `words`; -1 takes
// any) says so with the command's usage and gives the exit code in `status`.
bool parseCommandLine(const Context& context, const char* usage,
                      std::initializer_list<const char*> flags,
                      std::initializer_list<const char*> valued, int words, Arguments& args,
                      int& status);

// A positive whole number in decimal, such as a sheet or record number; nothing else.
std::optional<int> positiveNumber(const std::string& text);

}  // namespace cli
