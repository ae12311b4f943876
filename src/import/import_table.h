// The table a workbook is loaded into and imported from: the import form's list control, or
// rows in memory for the command line and tests. Texts are GBK; rows and columns are 0-based.
#pragma once
#include <string>
#include <vector>

namespace importer {

class ImportTable {
 public:
  virtual ~ImportTable() = default;

  virtual int columnCount() const = 0;
  // Deletes every column, then adds `count` untitled columns of the given width.
  virtual void rebuildColumns(int count, int width) = 0;
  // Titles and cells of columns that do not exist are ignored.
  virtual void setColumnTitle(int column, const std::string& title) = 0;

  virtual int rowCount() const = 0;
  virtual int appendRow() = 0;  // an empty row at the end; returns its index
  virtual void deleteRow(int row) = 0;
  // Deletes the rows whose `keep` entry is false, in one pass; `keep` has one entry a row.
  virtual void keepRows(const std::vector<bool>& keep);
  virtual void deleteAllRows() = 0;
  virtual std::string cell(int row, int column) const = 0;
  virtual void setCell(int row, int column, const std::string& text) = 0;

  // Shows the current contents now (the list repaints; memory tables do nothing).
  virtual void repaint() {}
  // Lets pending window messages run during a long fill. False once the table's window is
  // going away, and the fill should stop.
  virtual bool letMessagesRun() { return true; }
};

inline void ImportTable::keepRows(const std::vector<bool>& keep) {
  for (int row = rowCount() - 1; row >= 0; --row)
    if (std::size_t(row) < keep.size() && !keep[std::size_t(row)]) deleteRow(row);
}

}  // namespace importer
