#include "import/list_view_table.h"

#include "ui/form.h"
#include "ui/toolkit.h"

namespace importer {

void ListViewTable::rebuildColumns(int count, int width) {
  list_.deleteAllRows();
  list_.deleteAllColumns();
  for (int column = 0; column < count; ++column) list_.addColumn(std::string(), width);
}

void ListViewTable::setColumnTitle(int column, const std::string& title) {
  if (column >= 0 && column < list_.columnCount()) list_.setColumnTitle(column, title);
}

void ListViewTable::setCell(int row, int column, const std::string& text) {
  if (column >= 0 && column < list_.columnCount()) list_.setCell(row, column, text);
}

bool ListViewTable::letMessagesRun() {
  ui::processMessages(0);
  // Closed, or moving on to another form: the rest of the fill would be thrown away.
  return !list_.form().ending();
}

}  // namespace importer
