// What the bank operations need from the forms: message boxes and the two bank choosers.
// The forms implement these; tests and the command line use their own.
#pragma once

#include <filesystem>
#include <string>

namespace bank {

class BankPrompts {
 public:
  virtual ~BankPrompts() = default;
  // A task-modal message box with an OK button and the default caption. Texts are GBK.
  virtual void showMessage(const std::string& text) = 0;
  // The same with OK and Cancel; true for OK.
  virtual bool confirm(const std::string& text) = 0;
};

// A bank chooser (the 组合框1 of the BankChooserForm or the ImportForm). Each item shows a
// bank's file name and keeps the real file name as its data, so names that GBK cannot show
// still open the right file.
class BankChooser {
 public:
  virtual ~BankChooser() = default;
  virtual void clear() = 0;
  virtual void addItem(const std::string& text, const std::filesystem::path& fileName) = 0;
  virtual void select(int index) = 0;
  virtual int selectedIndex() const = 0;  // -1 when nothing is selected
  virtual std::string text() const = 0;   // the chooser's current text
  virtual std::filesystem::path itemFile(int index) const = 0;
};

}  // namespace bank
