// Report-style list views, and the selected item shared with combo boxes. Changes the program
// makes to a list's selection are kept quiet: only the user's selection reports an event.

#include <algorithm>

#include "ui/win32/wide_text.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_peers.h"

namespace ui::win32 {
namespace {

constexpr int kTitleLength = 260;

}  // namespace

// A visible list repaints itself, scroll bar included, at every row added or removed, which
// under some window systems costs milliseconds a row. Changes made in a run of program code
// are drawn once instead, when the message loop next runs (a loading loop lets it run every
// few milliseconds, so the rows still appear as they come).
void Win32ControlPeer::holdRedrawUntilIdle() {
  if (redrawHeld_ || !IsWindowVisible(window_)) return;
  redrawHeld_ = true;
  SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
  PostMessageW(window_, kResumeRedraw, 0, 0);
}

void Win32ControlPeer::resumeRedraw() {
  if (!redrawHeld_) return;
  redrawHeld_ = false;
  SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Win32ControlPeer::setSelectedIndex(int index) {
  if (definition_.kind == ControlKind::ComboBox) {
    SendMessageW(window_, CB_SETCURSEL, WPARAM(index), 0);
    return;
  }
  if (definition_.kind != ControlKind::ListView) return;
  ++quietSelection_;
  // The list takes one selection: clearing the marked rows alone spares Wine a notification
  // for every row of a long owner-data list, which clearing "all rows" costs it.
  int selected = ListView_GetNextItem(window_, -1, LVNI_SELECTED);
  if (selected >= 0) ListView_SetItemState(window_, selected, 0, LVIS_SELECTED | LVIS_FOCUSED);
  int focused = ListView_GetNextItem(window_, -1, LVNI_FOCUSED);
  if (focused >= 0) ListView_SetItemState(window_, focused, 0, LVIS_FOCUSED);
  if (index >= 0 && index < rowCount()) {
    ListView_SetItemState(window_, index, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(window_, index, FALSE);
  }
  --quietSelection_;
}

int Win32ControlPeer::selectedIndex() const {
  if (definition_.kind == ControlKind::ComboBox)
    return int(SendMessageW(window_, CB_GETCURSEL, 0, 0));
  if (definition_.kind != ControlKind::ListView) return -1;
  return ListView_GetNextItem(window_, -1, LVNI_SELECTED);
}

// Rows and columns change only through this peer (the user cannot add or remove any), so
// their counts are kept here rather than asked of the control at every cell.
int Win32ControlPeer::columnCount() const {
  return definition_.kind == ControlKind::ListView ? columns_ : 0;
}

void Win32ControlPeer::addColumn(const std::string& title, int width) {
  if (definition_.kind != ControlKind::ListView) return;
  std::wstring text = wide(title);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = text.data();
  column.cx = form_.scaled(width);  // a design width, as the definition gives it
  column.iSubItem = columnCount();
  if (SendMessageW(window_, LVM_INSERTCOLUMNW, WPARAM(column.iSubItem),
                   reinterpret_cast<LPARAM>(&column)) >= 0)
    ++columns_;
}

void Win32ControlPeer::deleteColumn(int column) {
  if (definition_.kind == ControlKind::ListView && column >= 0 && column < columnCount()) {
    if (ListView_DeleteColumn(window_, column)) --columns_;
  }
}

void Win32ControlPeer::setColumnTitle(int column, const std::string& title) {
  if (definition_.kind != ControlKind::ListView || column < 0 || column >= columnCount()) return;
  std::wstring text = wide(title);
  LVCOLUMNW entry{};
  entry.mask = LVCF_TEXT;
  entry.pszText = text.data();
  SendMessageW(window_, LVM_SETCOLUMNW, WPARAM(column), reinterpret_cast<LPARAM>(&entry));
}

std::string Win32ControlPeer::columnTitle(int column) const {
  if (definition_.kind != ControlKind::ListView || column < 0 || column >= columnCount()) return {};
  wchar_t text[kTitleLength] = {};
  LVCOLUMNW entry{};
  entry.mask = LVCF_TEXT;
  entry.pszText = text;
  entry.cchTextMax = kTitleLength;
  SendMessageW(window_, LVM_GETCOLUMNW, WPARAM(column), reinterpret_cast<LPARAM>(&entry));
  return narrow(entry.pszText);
}

int Win32ControlPeer::columnWidth(int column) const {
  if (definition_.kind != ControlKind::ListView || column < 0 || column >= columnCount()) return 0;
  return ListView_GetColumnWidth(window_, column);
}

int Win32ControlPeer::rowCount() const {
  return definition_.kind == ControlKind::ListView ? rows_ : 0;
}

int Win32ControlPeer::appendRow() {
  if (definition_.kind != ControlKind::ListView) return -1;
  wchar_t empty[] = L"";
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = rowCount();
  item.pszText = empty;
  holdRedrawUntilIdle();
  ++quietSelection_;
  int row = int(SendMessageW(window_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  --quietSelection_;
  if (row >= 0) ++rows_;
  return row;
}

void Win32ControlPeer::deleteRow(int row) {
  if (definition_.kind != ControlKind::ListView || row < 0 || row >= rowCount()) return;
  holdRedrawUntilIdle();
  ++quietSelection_;
  if (ListView_DeleteItem(window_, row)) --rows_;
  --quietSelection_;
}

void Win32ControlPeer::deleteAllRows() {
  if (definition_.kind != ControlKind::ListView) return;
  ++quietSelection_;
  if (ListView_DeleteAllItems(window_)) rows_ = 0;
  --quietSelection_;
}

void Win32ControlPeer::setCell(int row, int column, const std::string& text) {
  if (definition_.kind != ControlKind::ListView || row < 0 || row >= rowCount() || column < 0 ||
      column >= columnCount()) {
    return;
  }
  std::wstring shown = wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = shown.data();
  holdRedrawUntilIdle();
  SendMessageW(window_, LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

std::string Win32ControlPeer::cell(int row, int column) const {
  if (definition_.kind != ControlKind::ListView || row < 0 || row >= rowCount() || column < 0 ||
      column >= columnCount()) {
    return {};
  }
  // The control copies at most the buffer's size and says how much it copied: grow until the
  // text fits with room to spare.
  // Most cells fit the first buffer, so most reads take one message.
  for (std::size_t size = 4096;; size *= 4) {
    std::wstring text(size, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = int(size);
    auto length = std::size_t(
        SendMessageW(window_, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < size || size > (1u << 22)) {
      text.resize(std::min(length, size));
      return narrow(text);
    }
  }
}

// ---- Owner-data lists ----
// The list keeps no texts: it asks the form for each cell it draws (LVN_GETDISPINFOW), and
// the form hands the question to this peer, which reads the owner's source.

bool Win32ControlPeer::ownerData() const {
  return definition_.kind == ControlKind::ListView && definition_.ownerData;
}

void Win32ControlPeer::fillDisplayInfo(LVITEMW& item) const {
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  std::wstring text;
  if (source_ && item.iItem >= 0 && item.iItem < rows_ && item.iSubItem >= 0 &&
      item.iSubItem < columns_) {
    text = wide(source_->cellText(item.iItem, item.iSubItem));
  }
  std::size_t length = std::min(text.size(), std::size_t(item.cchTextMax - 1));
  text.copy(item.pszText, length);
  item.pszText[length] = L'\0';
}

void Win32ControlPeer::setRowCount(int count) {
  if (!ownerData()) return;
  ++quietSelection_;
  rows_ = count;
  SendMessageW(window_, LVM_SETITEMCOUNT, WPARAM(count), LVSICF_NOSCROLL);
  // Marks on rows that no longer exist would come back with the rows.
  if (ListView_GetNextItem(window_, -1, LVNI_SELECTED) >= count) {
    ListView_SetItemState(window_, -1, 0, LVIS_SELECTED);
  }
  if (ListView_GetNextItem(window_, -1, LVNI_FOCUSED) >= count) {
    ListView_SetItemState(window_, -1, 0, LVIS_FOCUSED);
  }
  --quietSelection_;
}

void Win32ControlPeer::redrawRows(int first, int last) {
  if (!ownerData()) return;
  // Only the rows in sight are drawn again now; the others are drawn from the owner's rows when
  // they come into sight. The list would otherwise walk every row of the range (Wine's does),
  // which for thousands of changed rows keeps the window from answering for a long moment.
  const int top = ListView_GetTopIndex(window_);
  first = std::max(first, top);
  last = std::min(last, top + ListView_GetCountPerPage(window_));  // with a part-shown row
  if (first <= last) ListView_RedrawItems(window_, first, last);
}

void Win32ControlPeer::repaint() {
  if (redrawHeld_) {
    resumeRedraw();
  } else {
    InvalidateRect(window_, nullptr, TRUE);
  }
  UpdateWindow(window_);
}

}  // namespace ui::win32
