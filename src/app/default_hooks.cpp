// The hooks the program runs with. Steps whose subsystem has not landed yet keep a small
// stand-in here, named after the step it stands for.
#include <filesystem>
#include <system_error>

#include "app/date_text.h"
#include "app/shell.h"
#include "platform/cp936.h"
#include "platform/run_directory.h"
#include "ui/system.h"

namespace app {
namespace {

std::filesystem::path bankFolder() { return platform::runDirectory() / u8"题库"; }

// ensureBankFolder: the folder beside the program; a failure shows nothing.
void ensureBankFolderStandIn() {
  std::error_code ignored;
  std::filesystem::create_directories(bankFolder(), ignored);
}

// listBanks: every "*.edb" file of the bank folder in the order the system gives them, the
// first selected. The shown name is GBK; the item data keeps the real name (UTF-8).
void listBanksStandIn(ui::ComboBox& chooser) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(bankFolder(), error)) {
    std::error_code typeError;
    if (!entry.is_regular_file(typeError) || entry.path().extension() != ".edb") continue;
    std::u8string name = entry.path().filename().u8string();
    chooser.addItem(cp936::fromUtf16(entry.path().filename().u16string()),
                    std::string(name.begin(), name.end()));
    chooser.setSelectedIndex(0);
  }
}

// openForAnswering: no bank can be opened until the bank store is in.
bool openForAnsweringStandIn(BankChooserForm&) {
  ui::messageBox(cp936::fromUtf8("题库打开失败"));
  return false;
}

}  // namespace

ShellHooks defaultShellHooks() {
  ShellHooks hooks;
  hooks.ensureBankFolder = ensureBankFolderStandIn;
  hooks.listBanks = listBanksStandIn;
  hooks.openForAnswering = openForAnsweringStandIn;
  hooks.fetchNetworkDate = currentVariantDateUtc8;
  return hooks;
}

}  // namespace app
