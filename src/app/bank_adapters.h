// The bank store's view of the forms: a combo box as a bank chooser, message boxes as its
// prompts.
#pragma once
#include "bank/bank_prompts.h"
#include "ui/control.h"

namespace app {

// Each item keeps its real file name as UTF-8 item data, so a name GBK cannot show still
// opens the right file.
class ComboBoxChooser final : public bank::BankChooser {
 public:
  explicit ComboBoxChooser(ui::ComboBox& combo) : combo_(combo) {}

  void clear() override;
  void addItem(const std::string& text, const std::filesystem::path& fileName) override;
  void select(int index) override;
  int selectedIndex() const override;
  std::string text() const override;
  std::filesystem::path itemFile(int index) const override;

 private:
  ui::ComboBox& combo_;
};

class MessageBoxPrompts final : public bank::BankPrompts {
 public:
  void showMessage(const std::string& text) override;
  bool confirm(const std::string& text) override;
};

}  // namespace app
