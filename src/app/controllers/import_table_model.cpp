#include "app/controllers/import_table_model.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "platform/cp936.h"

namespace app {
namespace {

std::vector<std::string> designedTitles(const ui::ListView& list) {
  std::vector<std::string> titles;
  for (const ui::ColumnDef& column : list.definition().columns)
    titles.push_back(cp936::fromUtf8(column.title));
  return titles;
}

}  // namespace

ImportTableModel::ImportTableModel(ui::ListView& list)
    : list_(list), rows_(std::make_shared<importer::MemoryTable>(designedTitles(list))) {
  list_.setRowSource(this);
  list_.setRowCount(0);
}

void ImportTableModel::setColumnTitles(const std::vector<std::string>& titles) {
  for (int column = 0; column < std::min(int(titles.size()), columnCount()); ++column)
    setColumnTitle(column, titles[std::size_t(column)]);
}

void ImportTableModel::appendRows(importer::TableRows&& rows) {
  const int first = rowCount();
  own().appendRows(std::move(rows));
  if (rowCount() > first) changed(first, rowCount() - 1);
}

void ImportTableModel::rebuildColumns(int /*count*/, int /*width*/) { deleteAllRows(); }

void ImportTableModel::setColumnTitle(int column, const std::string& title) {
  if (column < 0 || column >= columnCount()) return;
  own().setColumnTitle(column, title);
  list_.setColumnTitle(column, title);
}

int ImportTableModel::appendRow() {
  const int row = own().appendRow();
  changed(row, row);
  return row;
}

void ImportTableModel::deleteRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  own().deleteRow(row);
  changed(row, INT_MAX);
}

void ImportTableModel::keepRows(const std::vector<bool>& keep) {
  own().keepRows(keep);
  changed(0, INT_MAX);
}

void ImportTableModel::deleteAllRows() {
  own().deleteAllRows();
  changed(0, INT_MAX);
}

void ImportTableModel::setCell(int row, int column, const std::string& text) {
  if (row < 0 || row >= rowCount()) return;
  own().setCell(row, column, text);
  changed(row, row);
}

importer::MemoryTable& ImportTableModel::own() {
  if (rows_.use_count() > 1) rows_ = std::make_shared<importer::MemoryTable>(*rows_);
  return *rows_;
}

void ImportTableModel::changed(int first, int last) {
  firstChanged_ = firstChanged_ < 0 ? first : std::min(firstChanged_, first);
  lastChanged_ = std::max(lastChanged_, last);
}

void ImportTableModel::repaint() {
  const int count = rowCount();
  // Rows a larger count brings in are new to the list; of the rows it had, the changed ones.
  const int last = std::min(lastChanged_, std::min(count, shownCount_) - 1);
  if (count != shownCount_) {
    list_.setRowCount(count);
    shownCount_ = count;
  }
  if (firstChanged_ >= 0 && firstChanged_ <= last) list_.rowsChanged(firstChanged_, last);
  firstChanged_ = lastChanged_ = -1;
}

}  // namespace app
