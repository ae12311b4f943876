#include "cli/commands.h"

namespace cli {

void addBankCommands(std::vector<Command>&) {}

}  // namespace cli
