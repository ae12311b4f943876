// The hooks the program runs with.
#include "app/bank_wiring.h"
#include "app/date_text.h"
#include "app/shell.h"
#include "app/skin_step.h"
#include "platform/run_directory.h"

namespace app {

ShellHooks defaultShellHooks() {
  ShellHooks hooks;
  BankWiring::install(hooks, std::make_shared<BankWiring>(platform::runDirectory()));
  hooks.fetchNetworkDate = currentVariantDateUtc8;
  hooks.applySkin = applySkin;
  return hooks;
}

}  // namespace app
