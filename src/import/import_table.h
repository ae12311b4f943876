// The table a workbook is loaded into and imported from: the rows the import form shows, or
// the command line's and the tests'. Texts are GBK; rows and columns are 0-based.
#pragma once
#include <string>
#include <vector>

namespace importer {

// Table columns: 0 serial number, 1 question, 2 answer, 3 result.
inline constexpr int kSerialColumn = 0, kQuestionColumn = 1, kAnswerColumn = 2, kResultColumn = 3;

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
  // The text of a cell; an empty text outside the table. Valid until the table next changes.
  virtual const std::string& cell(int row, int column) const = 0;
  virtual void setCell(int row, int column, const std::string& text) = 0;

  // Characters of the row's question and answer that the workbook held and GBK cannot: each
  // became "?" in the table, and will be stored so. A table that does not keep count says 0.
  virtual int unstorable(int row) const { return 0; }
  virtual void addUnstorable(int row, int count) {}

  // Shows the current contents now (a list repaints; memory tables do nothing).
  virtual void repaint() {}
};

inline void ImportTable::keepRows(const std::vector<bool>& keep) {
  for (int row = rowCount() - 1; row >= 0; --row)
    if (std::size_t(row) < keep.size() && !keep[std::size_t(row)]) deleteRow(row);
}

}  // namespace importer
