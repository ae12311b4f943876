// An import table held in memory: the rows the import form shows, the command line's and the
// tests'. Rows can be handed over in batches from one table to another (a load on a worker
// thread hands its rows to the table the form shows).
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "import/import_table.h"

namespace importer {

// Rows taken out of a table: `columns` cells a row, row after row, and each row's count of
// unstorable characters.
struct TableRows {
  int columns = 0;
  std::vector<std::string> cells;
  std::vector<int> unstorable;
  int count() const { return int(unstorable.size()); }
};

class MemoryTable final : public ImportTable {
 public:
  // The import form's four columns, with their designed titles (GBK).
  static MemoryTable withImportColumns();
  explicit MemoryTable(std::vector<std::string> titles = {}) : titles_(std::move(titles)) {}

  int columnCount() const override { return int(titles_.size()); }
  void rebuildColumns(int count, int width) override;
  void setColumnTitle(int column, const std::string& title) override;
  const std::string& columnTitle(int column) const { return titles_.at(column); }
  const std::vector<std::string>& columnTitles() const { return titles_; }

  int rowCount() const override { return int(unstorable_.size()); }
  int appendRow() override;
  void deleteRow(int row) override;
  void keepRows(const std::vector<bool>& keep) override;
  void deleteAllRows() override;
  const std::string& cell(int row, int column) const override;
  void setCell(int row, int column, const std::string& text) override;
  int unstorable(int row) const override;
  void addUnstorable(int row, int count) override;

  // Moves every row out; the columns and their titles stay.
  TableRows takeRows();
  // Appends the rows at the end; cells of columns this table lacks are dropped, and columns
  // the rows lack are left empty.
  void appendRows(TableRows&& rows);

 private:
  bool inside(int row, int column) const {
    return row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
  }
  std::size_t at(int row, int column) const {
    return std::size_t(row) * titles_.size() + std::size_t(column);
  }

  std::vector<std::string> titles_;
  // Row after row; a deque, so a table of a million rows grows without moving what it holds.
  std::deque<std::string> cells_;
  std::deque<int> unstorable_;  // one a row
};

}  // namespace importer
