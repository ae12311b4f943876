#include "app/controllers/list_view_table.h"

#include <algorithm>
#include <chrono>

#include "ui/form.h"
#include "ui/toolkit.h"

namespace app {

void ListViewTable::rebuildColumns(int count, int width) {
  list_.deleteAllRows();
  list_.deleteAllColumns();
  for (int column = 0; column < count; ++column) list_.addColumn(std::string(), width);
}

bool ListViewTable::letMessagesRun() {
  // Not after every cell: running the messages repaints the list, which takes milliseconds
  // for a screenful of long texts. Every few tens of milliseconds the window still answers at
  // once, and the time spent painting stays a small part of the whole.
  const auto now = std::chrono::steady_clock::now();
  if (now < nextRun_) return !list_.form().ending();
  ui::processMessages(0);
  const auto after = std::chrono::steady_clock::now();
  nextRun_ =
      after + std::max<std::chrono::steady_clock::duration>(kMessageInterval, 3 * (after - now));
  // Closed, or moving on to another form: the rest of the fill would be thrown away.
  return !list_.form().ending();
}

}  // namespace app
