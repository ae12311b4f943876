// The import form's list control as an import table.
#pragma once
#include "import/import_table.h"
#include "ui/control.h"

namespace importer {

class ListViewTable final : public ImportTable {
 public:
  explicit ListViewTable(ui::ListView& list) : list_(list) {}

  int columnCount() const override { return list_.columnCount(); }
  void rebuildColumns(int count, int width) override;
  void setColumnTitle(int column, const std::string& title) override;
  int rowCount() const override { return list_.rowCount(); }
  int appendRow() override { return list_.appendRow(); }
  void deleteRow(int row) override { list_.deleteRow(row); }
  void deleteAllRows() override { list_.deleteAllRows(); }
  std::string cell(int row, int column) const override { return list_.cell(row, column); }
  void setCell(int row, int column, const std::string& text) override;
  void repaint() override { list_.repaint(); }
  bool letMessagesRun() override;

 private:
  ui::ListView& list_;
};

}  // namespace importer
