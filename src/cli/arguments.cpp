#include "cli/arguments.h"

#include <charconv>
#include <cstdio>

#include "cli/commands.h"

namespace cli {

std::optional<std::string> Arguments::value(const std::string& option) const {
  auto found = values.find(option);
  if (found == values.end()) return std::nullopt;
  return found->second;
}

bool parseArguments(const std::vector<std::string>& args, std::initializer_list<const char*> flags,
                    std::initializer_list<const char*> valued, Arguments& out, std::string& error) {
  auto known = [](std::initializer_list<const char*> names, const std::string& arg) {
    for (const char* name : names)
      if (arg == name) return true;
    return false;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (known(flags, arg)) {
      out.flags.insert(arg);
    } else if (known(valued, arg)) {
      if (i + 1 == args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out.values[arg] = args[++i];
    } else if (arg.size() > 2 && arg.starts_with("--")) {
      error = "unknown option " + arg;
      return false;
    } else {
      out.words.push_back(arg);
    }
  }
  return true;
}

bool parseCommandLine(const Context& context, const char* usage,
                      std::initializer_list<const char*> flags,
                      std::initializer_list<const char*> valued, int words, Arguments& args,
                      int& status) {
  std::string error;
  if (parseArguments(context.args, flags, valued, args, error) &&
      (words < 0 || args.words.size() == std::size_t(words)))
    return true;
  if (!error.empty()) std::fprintf(stderr, "quorvix-cli: %s\n", error.c_str());
  std::fprintf(stderr, "usage: quorvix-cli [--dir RUNDIR] %s\n", usage);
  status = 2;
  return false;
}

std::optional<int> positiveNumber(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value < 1) return std::nullopt;
  return value;
}

}  // namespace cli
