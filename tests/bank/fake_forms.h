// In-memory stand-ins for the message boxes and the bank choosers.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "bank/bank_prompts.h"

namespace banktest {

class FakePrompts final : public bank::BankPrompts {
 public:
  void showMessage(const std::string& text) override { messages.push_back(text); }
  bool confirm(const std::string& text) override {
    confirmations.push_back(text);
    return answer;
  }
  bool answer = true;
  std::vector<std::string> messages;
  std::vector<std::string> confirmations;
};

class FakeChooser final : public bank::BankChooser {
 public:
  void clear() override {
    items.clear();
    selected = -1;
    typed.clear();
  }
  void addItem(const std::string& text, const std::filesystem::path& file) override {
    items.emplace_back(text, file);
  }
  void select(int index) override {
    selected = index;
    typed = items.at(static_cast<std::size_t>(index)).first;
  }
  int selectedIndex() const override { return selected; }
  std::string text() const override { return typed; }
  std::filesystem::path itemFile(int index) const override {
    return items.at(static_cast<std::size_t>(index)).second;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& item : items) out.push_back(item.first);
    return out;
  }

  std::vector<std::pair<std::string, std::filesystem::path>> items;
  int selected = -1;
  std::string typed;
};

}  // namespace banktest
