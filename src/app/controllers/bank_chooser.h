// A combo box as a bank chooser: each item shows a bank's file name and keeps its real file name
// as UTF-8 item data, so a name GBK cannot show still opens the right file.
#pragma once
#include <filesystem>
#include <vector>

#include "bank/question_bank.h"
#include "ui/control.h"

namespace app {

// What the chooser holds now.
bank::BankChoice choiceOf(const ui::ComboBox& combo);

// Appends the banks, selecting the first one.
void addBanks(ui::ComboBox& combo, const std::vector<std::filesystem::path>& banks);

// Selects the item of that real file name; false, and the selection unchanged, without one.
bool selectBank(ui::ComboBox& combo, const std::filesystem::path& file);

}  // namespace app
