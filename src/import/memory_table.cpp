#include "import/memory_table.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/cp936.h"

namespace importer {

MemoryTable MemoryTable::withImportColumns() {
  std::vector<std::string> titles;
  for (const char* title : {"序号", "题目", "答案", "结果"})
    titles.push_back(cp936::fromUtf8(title));
  return MemoryTable(std::move(titles));
}

void MemoryTable::rebuildColumns(int count, int /*width*/) {
  deleteAllRows();
  titles_.assign(std::size_t(std::max(count, 0)), std::string());
}

void MemoryTable::setColumnTitle(int column, const std::string& title) {
  if (column >= 0 && column < columnCount()) titles_[std::size_t(column)] = title;
}

int MemoryTable::appendRow() {
  cells_.resize(cells_.size() + titles_.size());
  unstorable_.push_back(0);
  return rowCount() - 1;
}

void MemoryTable::deleteRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  cells_.erase(cells_.begin() + std::ptrdiff_t(at(row, 0)),
               cells_.begin() + std::ptrdiff_t(at(row + 1, 0)));
  unstorable_.erase(unstorable_.begin() + row);
}

void MemoryTable::keepRows(const std::vector<bool>& keep) {
  const std::size_t columns = titles_.size();
  std::size_t kept = 0;
  for (std::size_t row = 0; row < unstorable_.size(); ++row) {
    if (row < keep.size() && !keep[row]) continue;
    if (kept != row) {
      for (std::size_t column = 0; column < columns; ++column)
        cells_[kept * columns + column] = std::move(cells_[row * columns + column]);
      unstorable_[kept] = unstorable_[row];
    }
    ++kept;
  }
  cells_.resize(kept * columns);
  unstorable_.resize(kept);
}

void MemoryTable::deleteAllRows() {
  cells_.clear();
  unstorable_.clear();
}

const std::string& MemoryTable::cell(int row, int column) const {
  static const std::string empty;
  return inside(row, column) ? cells_[at(row, column)] : empty;
}

void MemoryTable::setCell(int row, int column, const std::string& text) {
  if (inside(row, column)) cells_[at(row, column)] = text;
}

int MemoryTable::unstorable(int row) const {
  return row >= 0 && row < rowCount() ? unstorable_[std::size_t(row)] : 0;
}

void MemoryTable::addUnstorable(int row, int count) {
  if (row >= 0 && row < rowCount()) unstorable_[std::size_t(row)] += count;
}

TableRows MemoryTable::takeRows() {
  TableRows rows;
  rows.columns = columnCount();
  rows.cells.reserve(cells_.size());
  std::move(cells_.begin(), cells_.end(), std::back_inserter(rows.cells));
  rows.unstorable.assign(unstorable_.begin(), unstorable_.end());
  deleteAllRows();
  return rows;
}

void MemoryTable::appendRows(TableRows&& rows) {
  const std::size_t from = std::size_t(std::max(rows.columns, 0));
  const int count =
      from == 0 ? rows.count() : std::min(rows.count(), int(rows.cells.size() / from));
  for (int row = 0; row < count; ++row) {
    const int added = appendRow();
    for (int column = 0; column < std::min(rows.columns, columnCount()); ++column) {
      auto& source = rows.cells[std::size_t(row) * from + std::size_t(column)];
      cells_[at(added, column)] = std::move(source);
    }
    unstorable_[std::size_t(added)] = rows.unstorable[std::size_t(row)];
  }
}

}  // namespace importer
