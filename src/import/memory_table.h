// An import table held in memory: the command line's, and the tests'.
#pragma once
#include <string>
#include <vector>

#include "import/import_table.h"

namespace importer {

class MemoryTable final : public ImportTable {
 public:
  // The import form's four columns, with their designed titles (GBK).
  static MemoryTable withImportColumns();
  explicit MemoryTable(std::vector<std::string> titles = {}) : titles_(std::move(titles)) {}

  int columnCount() const override { return int(titles_.size()); }
  void rebuildColumns(int count, int width) override;
  void setColumnTitle(int column, const std::string& title) override;
  const std::string& columnTitle(int column) const { return titles_.at(column); }

  int rowCount() const override { return int(rows_.size()); }
  int appendRow() override;
  void deleteRow(int row) override;
  void keepRows(const std::vector<bool>& keep) override;
  void deleteAllRows() override { rows_.clear(); }
  std::string cell(int row, int column) const override;
  void setCell(int row, int column, const std::string& text) override;

 private:
  std::vector<std::string> titles_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace importer
