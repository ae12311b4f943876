// The import form's table: rows the controller keeps, which the owner-data list 超级列表框 only
// displays. Changes are made here and then shown with repaint(), which tells the list the row
// count and the rows that changed since the last time, nothing more. User-interface thread.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "import/memory_table.h"
#include "ui/control.h"

namespace app {

class ImportTableModel final : public importer::ImportTable, public ui::ListRowSource {
 public:
  // Starts with the list's designed columns and no rows, and becomes the list's row source.
  // It must live as long as the list's window: the form's own handlers keep it.
  explicit ImportTableModel(ui::ListView& list);
  ImportTableModel(const ImportTableModel&) = delete;
  ImportTableModel& operator=(const ImportTableModel&) = delete;

  // The rows as they are now, for a worker to read while the form goes on: rows a snapshot
  // still shares are never changed, the model copies them first. A worker lets go of its
  // snapshot before it posts back, so the form's changes that follow cost no copy.
  std::shared_ptr<const importer::MemoryTable> snapshot() const { return rows_; }
  const std::vector<std::string>& columnTitles() const { return rows_->columnTitles(); }
  // The titles at once, each on the list too.
  void setColumnTitles(const std::vector<std::string>& titles);
  void appendRows(importer::TableRows&& rows);

  // ImportTable. The list's columns are its designed ones: rebuilding keeps their count.
  int columnCount() const override { return rows_->columnCount(); }
  void rebuildColumns(int count, int width) override;
  void setColumnTitle(int column, const std::string& title) override;
  int rowCount() const override { return rows_->rowCount(); }
  int appendRow() override;
  void deleteRow(int row) override;
  void keepRows(const std::vector<bool>& keep) override;
  void deleteAllRows() override;
  const std::string& cell(int row, int column) const override { return rows_->cell(row, column); }
  void setCell(int row, int column, const std::string& text) override;
  int unstorable(int row) const override { return rows_->unstorable(row); }
  void addUnstorable(int row, int count) override { own().addUnstorable(row, count); }
  void repaint() override;

  // ListRowSource.
  std::string cellText(int row, int column) const override { return rows_->cell(row, column); }

 private:
  void changed(int first, int last);
  // The rows to change: this model's alone, copied first when a snapshot shares them.
  importer::MemoryTable& own();

  ui::ListView& list_;
  std::shared_ptr<importer::MemoryTable> rows_;
  int shownCount_ = 0;  // the row count the list was last told
  int firstChanged_ = -1, lastChanged_ = -1;
};

}  // namespace app
