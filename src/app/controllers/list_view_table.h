// The import form's list control as an import table.
#pragma once
#include <chrono>

#include "import/import_table.h"
#include "ui/control.h"

namespace app {

class ListViewTable final : public importer::ImportTable {
 public:
  explicit ListViewTable(ui::ListView& list) : list_(list) {}

  int columnCount() const override { return list_.columnCount(); }
  void rebuildColumns(int count, int width) override;
  // The list ignores titles and cells of columns it does not have.
  void setColumnTitle(int column, const std::string& title) override {
    list_.setColumnTitle(column, title);
  }
  int rowCount() const override { return list_.rowCount(); }
  int appendRow() override { return list_.appendRow(); }
  void deleteRow(int row) override { list_.deleteRow(row); }
  void deleteAllRows() override { list_.deleteAllRows(); }
  std::string cell(int row, int column) const override { return list_.cell(row, column); }
  void setCell(int row, int column, const std::string& text) override {
    list_.setCell(row, column, text);
  }
  void repaint() override { list_.repaint(); }
  bool letMessagesRun() override;

 private:
  static constexpr std::chrono::milliseconds kMessageInterval{30};
  ui::ListView& list_;
  std::chrono::steady_clock::time_point nextRun_{};
};

}  // namespace app
