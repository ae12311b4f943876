#include "cli/commands.h"

namespace cli {

void addSearchCommand(std::vector<Command>&) {}

}  // namespace cli
