#include "import/memory_table.h"

#include <algorithm>
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
  rows_.clear();
  titles_.assign(std::size_t(std::max(count, 0)), std::string());
}

void MemoryTable::setColumnTitle(int column, const std::string& title) {
  if (column >= 0 && column < columnCount()) titles_[std::size_t(column)] = title;
}

int MemoryTable::appendRow() {
  rows_.emplace_back(titles_.size());
  return rowCount() - 1;
}

void MemoryTable::deleteRow(int row) {
  if (row >= 0 && row < rowCount()) rows_.erase(rows_.begin() + row);
}

void MemoryTable::keepRows(const std::vector<bool>& keep) {
  std::size_t kept = 0;
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    if (row < keep.size() && !keep[row]) continue;
    if (kept != row) rows_[kept] = std::move(rows_[row]);
    ++kept;
  }
  rows_.resize(kept);
}

std::string MemoryTable::cell(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
  return rows_[std::size_t(row)][std::size_t(column)];
}

void MemoryTable::setCell(int row, int column, const std::string& text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
  rows_[std::size_t(row)][std::size_t(column)] = text;
}

}  // namespace importer
