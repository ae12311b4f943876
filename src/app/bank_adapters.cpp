#include "app/bank_adapters.h"

#include "ui/system.h"

namespace app {

void ComboBoxChooser::clear() { combo_.clear(); }

void ComboBoxChooser::addItem(const std::string& text, const std::filesystem::path& fileName) {
  std::u8string utf8 = fileName.u8string();
  combo_.addItem(text, std::string(utf8.begin(), utf8.end()));
}

void ComboBoxChooser::select(int index) { combo_.setSelectedIndex(index); }

int ComboBoxChooser::selectedIndex() const { return combo_.selectedIndex(); }

std::string ComboBoxChooser::text() const { return combo_.text(); }

std::filesystem::path ComboBoxChooser::itemFile(int index) const {
  std::string data = combo_.itemData(index);
  return std::filesystem::path(std::u8string(data.begin(), data.end()));
}

void MessageBoxPrompts::showMessage(const std::string& text) { ui::messageBox(text); }

bool MessageBoxPrompts::confirm(const std::string& text) {
  return ui::messageBox(text, ui::mb::kOkCancel) == ui::mb::kIdOk;
}

}  // namespace app
