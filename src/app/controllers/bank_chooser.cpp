#include "app/controllers/bank_chooser.h"

#include "platform/cp936.h"

namespace app {

bank::BankChoice choiceOf(const ui::ComboBox& combo) {
  bank::BankChoice choice;
  choice.shownText = combo.text();
  int selected = combo.selectedIndex();
  if (selected >= 0) {
    std::string data = combo.itemData(selected);
    choice.selectedFile = std::filesystem::path(std::u8string(data.begin(), data.end()));
  }
  return choice;
}

void addBanks(ui::ComboBox& combo, const std::vector<std::filesystem::path>& banks) {
  for (const auto& name : banks) {
    std::u8string utf8 = name.u8string();
    combo.addItem(name.u16string(), std::string(utf8.begin(), utf8.end()));
    combo.setSelectedIndex(0);
  }
}

bool selectBank(ui::ComboBox& combo, const std::filesystem::path& file) {
  if (file.empty()) return false;
  std::u8string utf8 = file.u8string();
  const std::string wanted(utf8.begin(), utf8.end());
  for (int index = 0; index < combo.count(); ++index) {
    if (combo.itemData(index) != wanted) continue;
    combo.setSelectedIndex(index);
    return true;
  }
  return false;
}

}  // namespace app
